// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CMainDlg.h"

#include "cardcheck/adapter/BindingState.h"
#include "cardcheck/report/CSupportPage.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/CAdapterPropertyPage.h"
#include "cardcheck/sheet/CDiagnosticsPage.h"
#include "cardcheck/sheet/CGeneralPage.h"
#include "cardcheck/sheet/RestartPrompt.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/ui/DialogTemplate.h"
#include "common/ui/WindowPlacement.h"
#include "ui_CMainDlg.h"

#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>

namespace velnet::cardcheck {

CMainDlg::CMainDlg(SheetContext& context, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CMainDlg>())
{
    ui_->setupUi(this);
    setWindowTitle(QString::fromStdString(StringTable::load(ids::Title)));
    velnet::ui::DialogTemplate::apply(this, velnet::ui::DialogTemplate::Caption::WithContextHelp);

    general_ = new CGeneralPage(context);
    properties_ = new CAdapterPropertyPage(context);
    diagnostics_ = new CDiagnosticsPage(context);
    support_ = new CSupportPage(context);
    for (PropertyPage* page :
         std::initializer_list<PropertyPage*>{general_, properties_, diagnostics_, support_})
        ui_->tabs->addTab(page, page->caption());

    ui_->buttonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(ui_->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui_->tabs, &QTabWidget::currentChanged, this, &CMainDlg::OnSelchangeTab);
}

CMainDlg::~CMainDlg() = default;

PropertyPage* CMainDlg::page(int index) const
{
    return qobject_cast<PropertyPage*>(ui_->tabs->widget(index));
}

int CMainDlg::pageCount() const
{
    return ui_->tabs->count();
}

void CMainDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        fitOnScreen();
    if (currentPage_ < 0) {
        currentPage_ = 0;
        ui_->tabs->setCurrentIndex(0);
        page(0)->activate();
    }
}

void CMainDlg::fitOnScreen()
{
    // At a large scale the sheet at its designed size can be taller than
    // the screen, with its buttons out of reach below it.
    const QRect available = screen()->availableGeometry();
    const QSize frame = velnet::ui::frameAllowance(this);
    const QSize room = available.size() - frame;
    // The sheet keeps one size, as every dialog does; here the smaller one.
    if (width() > room.width() || height() > room.height())
        setFixedSize(size().boundedTo(room).expandedTo(minimumSizeHint()));
    move(velnet::ui::keptInside(QRect(pos(), size() + frame), available).topLeft());
}

void CMainDlg::OnSelchangeTab(int index)
{
    if (switchingBack_ || index == currentPage_ || currentPage_ < 0)
        return;
    // The tab has already switched, but nothing is drawn before the event
    // loop runs: put the leaving page back first, so that a refusal shows
    // over it and nothing else changes.
    showPage(currentPage_);
    if (PropertyPage* leaving = page(currentPage_); leaving && !leaving->OnKillActive())
        return;
    showPage(index);
    currentPage_ = index;
    if (PropertyPage* entering = page(index))
        entering->activate();
}

void CMainDlg::showPage(int index)
{
    switchingBack_ = true;
    ui_->tabs->setCurrentIndex(index);
    switchingBack_ = false;
}

void CMainDlg::done(int result)
{
    if (destroyed_)
        return;
    if (PropertyPage* current = currentPage_ >= 0 ? page(currentPage_) : nullptr) {
        if (result == QDialog::Accepted && !current->OnKillActive())
            return;
        if (result != QDialog::Accepted && !current->OnQueryCancel())
            return;
    }
    QDialog::done(result);
    OnDestroy();
}

void CMainDlg::OnDestroy()
{
    destroyed_ = true;
    const BindingState& binding = bindingState();
    if (RestartPrompt::askOnClose(binding.restartNeeded, binding.configurationChanged))
        sheetState().rebootAtExit = 1;
}

} // namespace velnet::cardcheck
