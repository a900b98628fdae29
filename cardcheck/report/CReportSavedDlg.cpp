// SPDX-License-Identifier: MIT
#include "cardcheck/report/CReportSavedDlg.h"

#include "cardcheck/report/ReportWriter.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/ContextHelp.h"
#include "common/platform/ProcessLauncher.h"
#include "common/ui/DialogTemplate.h"
#include "ui_CReportSavedDlg.h"

#include <QPlainTextEdit>
#include <fstream>

namespace velnet::cardcheck {

CReportSavedDlg::CReportSavedDlg(SheetContext& context, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CReportSavedDlg>())
{
    ui_->setupUi(this);
    velnet::ui::DialogTemplate::apply(this, velnet::ui::DialogTemplate::Caption::WithContextHelp);
    help_ = new ContextHelp(this, helpTable(), context.help);
    showText(ui_->reportPath, ReportWriter::reportPath(), kPathLines);
    showText(ui_->addressText, addressText(), kAddressLines);
    connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->viewReportButton, &QPushButton::clicked, this, &CReportSavedDlg::OnViewReport);
}

CReportSavedDlg::~CReportSavedDlg() = default;

void CReportSavedDlg::showText(QPlainTextEdit* control, const std::string& text, int lines)
{
    // Plain text on the dialog's own background, wrapped even inside a long
    // file name; what does not fit scrolls.
    control->setPlainText(QString::fromStdString(text));
    control->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    control->viewport()->setAutoFillBackground(false);
    control->setMinimumHeight(control->fontMetrics().lineSpacing() * lines +
                              int(control->document()->documentMargin() * 2) +
                              2 * control->frameWidth());
}

std::string CReportSavedDlg::addressText()
{
    std::string text = StringTable::load(ids::SupportAddresses);
    std::ifstream in(kAddressFile, std::ios::binary);
    if (!in)
        return text;
    std::string bytes(kAddressFileLimit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes.empty() ? text : bytes;
}

void CReportSavedDlg::OnViewReport()
{
    velnet::platform::processLauncher().openInTextEditor(ReportWriter::reportPath());
}

} // namespace velnet::cardcheck
