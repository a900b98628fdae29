// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CWelcomeDlg.h"

#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/CGeneralPage.h"
#include "cardcheck/ui/ContextHelp.h"
#include "common/platform/HelpViewer.h"
#include "common/ui/DialogTemplate.h"
#include "ui_CWelcomeDlg.h"

namespace velnet::cardcheck {

CWelcomeDlg::CWelcomeDlg(SheetContext& context, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CWelcomeDlg>()), context_(context)
{
    ui_->setupUi(this);
    setWindowTitle(QString::fromStdString(StringTable::load(ids::Title)));
    velnet::ui::DialogTemplate::apply(this, velnet::ui::DialogTemplate::Caption::WithContextHelp);
    // The same entries as the General page's for its combo box, button, list
    // and check box.
    help_ = new ContextHelp(this, CGeneralPage::welcomeHelpTable(), context_.help);
    connect(ui_->continueButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->releaseNotesButton, &QPushButton::clicked, this, &CWelcomeDlg::OnReleaseNotes);
    // The template's height is for one font; with a smaller one the layout
    // would spread the spare room between the texts.
    ensurePolished();
    resize(width(), heightForWidth(width()));
}

CWelcomeDlg::~CWelcomeDlg() = default;

void CWelcomeDlg::OnReleaseNotes()
{
    context_.help.showTopic(help_->helpFile(), kReleaseNotesTopic);
}

} // namespace velnet::cardcheck
