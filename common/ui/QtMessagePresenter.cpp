// SPDX-License-Identifier: MIT
#include "common/ui/QtMessagePresenter.h"

#include "common/ui/CentredMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace velnet::ui {

namespace {

// The buttons in the order the box shows them, left to right; the first is
// the default, as on the platform the programs were designed for.
QList<QMessageBox::StandardButton> standardButtons(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return {QMessageBox::Ok};
    case Buttons::OkCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case Buttons::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case Buttons::YesNoCancel:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case Buttons::AbortRetryIgnore:
        return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    }
    return {QMessageBox::Ok};
}

QMessageBox::Icon messageIcon(Icon icon)
{
    switch (icon) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

Answer toAnswer(int button, Buttons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    default:
        return cancelAnswer(buttons);
    }
}

} // namespace

Answer QtMessagePresenter::present(const MessageRequest& request)
{
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    CentredMessageBox box(messageIcon(request.icon), QString::fromStdString(request.caption),
                          QString::fromStdString(request.text), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    // The desktop's button layout sorts buttons by their roles, which would
    // put Abort after Retry and Ignore; one role for all keeps the order.
    const bool keepOrder = request.buttons == Buttons::AbortRetryIgnore;
    std::vector<std::pair<QPushButton*, QMessageBox::StandardButton>> buttons;
    for (QMessageBox::StandardButton kind : standardButtons(request.buttons)) {
        QPushButton* button = box.addButton(kind);
        if (keepOrder) {
            const QString text = button->text();
            box.removeButton(button);
            delete button;
            button = box.addButton(text, QMessageBox::ActionRole);
        }
        buttons.emplace_back(button, kind);
    }
    box.setDefaultButton(buttons.front().first);
    if (keepOrder)
        box.setEscapeButton(buttons.back().first);
    const int shown = box.exec();
    for (const auto& [button, kind] : buttons) {
        if (box.clickedButton() == button)
            return toAnswer(kind, request.buttons);
    }
    return toAnswer(shown, request.buttons);
}

} // namespace velnet::ui
