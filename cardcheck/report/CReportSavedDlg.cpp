// SPDX-License-Identifier: MIT
#include "cardcheck/report/CReportSavedDlg.h"

#include "cardcheck/report/ReportWriter.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/ContextHelp.h"
#include "common/platform/ProcessLauncher.h"
#include "common/ui/DialogTemplate.h"
#include "ui_CReportSavedDlg.h"

#include <QPlainTextEdit>
#include <algorithm>
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
    fitBuiltInAddresses(ui_->addressText);
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
    // The text edit scrolls unless the last line has room to spare below
    // it: exactly the lines' height is one line too little.
    control->setMinimumHeight(control->fontMetrics().lineSpacing() * lines +
                              int(control->document()->documentMargin() * 2) +
                              2 * control->frameWidth() + kLastLineRoom);
}

void CReportSavedDlg::fitBuiltInAddresses(QPlainTextEdit* control)
{
    // Wide enough for the longest of the built-in addresses, so that none
    // of them wraps into a line more than the box shows; a file's longer
    // lines still wrap and scroll.
    const QFontMetrics metrics = control->fontMetrics();
    int widest = 0;
    for (const QString& line :
         QString::fromStdString(StringTable::load(ids::SupportAddresses)).split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    control->setMinimumWidth(widest + int(control->document()->documentMargin() * 2) +
                             2 * control->frameWidth() + control->cursorWidth() + kWrapSlack);
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

std::string CReportSavedDlg::noViewerText(const std::string& path)
{
    return "There is no program on this computer to view the report with.  The report is saved "
           "in:\n\n" +
           path;
}

void CReportSavedDlg::OnViewReport()
{
    // The report is on the disk in any case: where no viewer shows it, the
    // user is told where to find it rather than left wondering.
    const std::string path = ReportWriter::reportPath();
    auto tell = [path] { appMessageBox(noViewerText(path), velnet::ui::Buttons::Ok); };
    if (!velnet::platform::processLauncher().openInTextEditor(path, tell))
        tell();
}

} // namespace velnet::cardcheck
