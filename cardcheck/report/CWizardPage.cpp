// SPDX-License-Identifier: MIT
#include "cardcheck/report/CWizardPage.h"

#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/ProgramState.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "common/ui/DialogTemplate.h"

#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

namespace velnet::cardcheck {

namespace {

std::string controlText(const QWidget* control)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text().toStdString();
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(control))
        return text->toPlainText().toStdString();
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText().toStdString();
    return {};
}

void setControlText(QWidget* control, const std::string& value)
{
    const QString text = QString::fromStdString(value);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(control))
        multi->setPlainText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setEditText(text);
}

// A list choice selects the first item that begins with the stored value,
// whatever the case; without a value, the first item.
void selectChoice(QComboBox* combo, const std::string& value)
{
    if (value.empty()) {
        combo->setCurrentIndex(0);
        return;
    }
    const int row = combo->findText(QString::fromStdString(value), Qt::MatchStartsWith);
    if (row >= 0)
        combo->setCurrentIndex(row);
}

} // namespace

CWizardPage::CWizardPage(SheetContext& context, CWizardPage* previous, QWidget* parent)
    : QDialog(parent), context_(context), previous_(previous)
{
    velnet::ui::DialogTemplate::apply(this, velnet::ui::DialogTemplate::Caption::WithContextHelp);
}

CWizardPage::~CWizardPage() = default;

void CWizardPage::setUpPage(QPushButton* back, QPushButton* next, QPushButton* cancel)
{
    help_ = new ContextHelp(this, helpTable(), context_.help);
    if (back)
        connect(back, &QPushButton::clicked, this, &CWizardPage::OnBack);
    if (next)
        connect(next, &QPushButton::clicked, this, &CWizardPage::OnNext);
    if (cancel)
        connect(cancel, &QPushButton::clicked, this, &CWizardPage::OnCancel);
}

void CWizardPage::loadAnswers()
{
    const ReportAnswers& answers = reportAnswers();
    for (const Field& field : fields_) {
        const ReportAnswers::Answer& answer = answers[field.answer];
        auto* combo = qobject_cast<QComboBox*>(field.control);
        if (answer.kind == ReportAnswers::Kind::Choice && combo)
            selectChoice(combo, answer.value);
        else
            setControlText(field.control, answer.value);
    }
}

bool CWizardPage::storeAnswer(const Field& field, bool requiredCheck)
{
    const std::string text = controlText(field.control);
    if (requiredCheck && ReportAnswers::isRequired(field.answer) && text.empty()) {
        appMessageBox(StringTable::load(ids::ErrorFieldEmpty));
        field.control->setFocus(Qt::OtherFocusReason);
        return false;
    }
    reportAnswers().store(field.answer, text);
    return true;
}

bool CWizardPage::storeAnswers(bool requiredCheck)
{
    for (const Field& field : fields_) {
        if (!storeAnswer(field, requiredCheck))
            return false;
    }
    return true;
}

int CWizardPage::exec()
{
    // Hiding a page inside QDialog's own modal run ends that run, and every
    // page is hidden while the next one is up.
    setAttribute(Qt::WA_ShowModal, true);
    setResult(QDialog::Rejected);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    QPointer<CWizardPage> alive(this);
    show();
    loop.exec(QEventLoop::DialogExec);
    return alive ? result() : int(QDialog::Rejected);
}

void CWizardPage::OnNext()
{
    if (!storeAnswers(true))
        return;
    std::unique_ptr<CWizardPage> next(createNextPage());
    if (!next)
        return;
    next->takePlaceOf(this);
    if (next->exec() == QDialog::Rejected) {
        reject();
        return;
    }
    // Back: this page comes up again where the user left the next one.
    takePlaceOf(next.get());
    show();
}

void CWizardPage::takePlaceOf(const QWidget* other)
{
    // The client area, not the frame: a frame position is taken from the
    // window manager's decoration, which a window not yet shown lacks.
    QRect place = geometry();
    place.moveTopLeft(other->geometry().topLeft());
    setGeometry(place);
}

void CWizardPage::OnBack()
{
    storeAnswers(false);
    accept();
}

void CWizardPage::OnCancel()
{
    reject();
}

void CWizardPage::hidePrevious()
{
    if (previous_)
        previous_->hide();
}

void CWizardPage::showEvent(QShowEvent* event)
{
    hidePrevious();
    QDialog::showEvent(event);
}

void CWizardPage::hideEvent(QHideEvent* event)
{
    hidePrevious();
    QDialog::hideEvent(event);
}

} // namespace velnet::cardcheck
