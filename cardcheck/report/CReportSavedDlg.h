// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/SheetContext.h"

#include <QDialog>
#include <memory>
#include <string>

class QPlainTextEdit;

namespace Ui {
class CReportSavedDlg;
}

namespace velnet::cardcheck {

// Tells the user where the report was saved and where to send it; "View
// Report..." opens the report in the desktop's text editor.
class CReportSavedDlg : public QDialog
{
    Q_OBJECT

public:
    // The file in the current folder that may replace the built-in addresses.
    static constexpr const char* kAddressFile = "vxvaraddr.txt";
    static constexpr std::size_t kAddressFileLimit = 1024;

    explicit CReportSavedDlg(SheetContext& context, QWidget* parent = nullptr);
    ~CReportSavedDlg() override;

    static std::vector<ContextHelp::Entry> helpTable() { return {{1066, 0x60490}}; }

    // The support addresses: the first 1024 bytes of "vxvaraddr.txt" when it
    // holds any, otherwise the built-in text.
    static std::string addressText();

    // What "View Report..." says when no program can show the report.
    static std::string noViewerText(const std::string& path);

private:
    static constexpr int kPathLines = 3;
    static constexpr int kAddressLines = 5;

    // Room a line's layout takes beyond its text's advance.
    static constexpr int kWrapSlack = 4;
    static constexpr int kLastLineRoom = 2;

    static void showText(QPlainTextEdit* control, const std::string& text, int lines);
    static void fitBuiltInAddresses(QPlainTextEdit* control);
    void OnViewReport();

    std::unique_ptr<Ui::CReportSavedDlg> ui_;
    ContextHelp* help_;
};

} // namespace velnet::cardcheck
