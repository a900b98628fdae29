// SPDX-License-Identifier: MIT
#include "common/ui/DialogTemplate.h"

#include <QEvent>
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

namespace velnet::ui {

namespace {
constexpr double kTitlePoints = 11;
constexpr int kButtonPadding = 12;
constexpr int kTitleButtons = 3;
constexpr int kTitleMargin = 16;
} // namespace

DialogTemplate::DialogTemplate(QWidget* dialog) : QObject(dialog)
{
    setObjectName("dialogTemplate");
}

void DialogTemplate::apply(QWidget* dialog, Caption caption)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (caption == Caption::WithContextHelp)
        flags |= Qt::WindowContextHelpButtonHint;
    dialog->setWindowFlags(flags);
    if (!dialog->findChild<DialogTemplate*>(QString(), Qt::FindDirectChildrenOnly))
        dialog->installEventFilter(new DialogTemplate(dialog));
}

int DialogTemplate::captionWidth(const QWidget* window)
{
    // Desktops draw captions larger and bolder than dialog text (GNOME's
    // title font is 11-point bold); the buttons are about as wide as the bar
    // is high: the menu, help and close buttons, and a margin at each end.
    QFont title = window->font();
    title.setBold(true);
    title.setPointSizeF(std::max(title.pointSizeF(), kTitlePoints));
    const QFontMetrics metrics(title);
    const int button = metrics.height() + kButtonPadding;
    return metrics.horizontalAdvance(window->windowTitle()) + kTitleButtons * button +
           2 * kTitleMargin;
}

bool DialogTemplate::eventFilter(QObject* watched, QEvent* event)
{
    // The show event comes after the dialog has taken its size and before
    // the window manager sees it, which then learns the one size at once.
    auto* dialog = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show) {
        const int width = std::max(dialog->width(), captionWidth(dialog));
        if (dialog->minimumSize() != dialog->maximumSize() || width != dialog->width())
            dialog->setFixedSize(width, dialog->height());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velnet::ui
