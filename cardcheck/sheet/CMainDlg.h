// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/SheetContext.h"

#include <QDialog>
#include <memory>
#include <vector>

namespace Ui {
class CMainDlg;
}

namespace velnet::cardcheck {

class PropertyPage;
class CGeneralPage;
class CAdapterPropertyPage;
class CDiagnosticsPage;
class CSupportPage;

// The program's main window: a property sheet with the General, Properties,
// Diagnostics and Support pages. When it closes it offers a restart if the
// run took drivers off line or changed the configuration. What follows the
// sheet (drivers back, libraries released, the restart) is the program's
// last step, CCardcheckApp::ExitInstance, so a sheet a test makes ends
// nothing but itself.
class CMainDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CMainDlg(SheetContext& context, QWidget* parent = nullptr);
    ~CMainDlg() override;

    CGeneralPage* generalPage() const { return general_; }
    CAdapterPropertyPage* propertiesPage() const { return properties_; }
    CDiagnosticsPage* diagnosticsPage() const { return diagnostics_; }
    CSupportPage* supportPage() const { return support_; }
    PropertyPage* page(int index) const;
    int pageCount() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Keeps the whole sheet, its buttons above all, on the available screen.
    void fitOnScreen();
    void OnSelchangeTab(int index);
    // Switches the tabs without asking any page.
    void showPage(int index);
    // The closing prompts, asked once when the sheet closes.
    void OnDestroy();

    std::unique_ptr<Ui::CMainDlg> ui_;
    CGeneralPage* general_;
    CAdapterPropertyPage* properties_;
    CDiagnosticsPage* diagnostics_;
    CSupportPage* support_;
    int currentPage_ = -1;
    bool switchingBack_ = false;
    bool destroyed_ = false;
};

} // namespace velnet::cardcheck
