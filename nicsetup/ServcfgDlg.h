// SPDX-License-Identifier: MIT
#pragma once

#include "nicsetup/StoreFingerprint.h"

#include <QDialog>
#include <QIcon>
#include <memory>
#include <optional>

class QTreeWidget;

namespace Ui {
class CServcfgDlg;
}

namespace velnet::nicsetup {

struct CARD_INFO;

// The main window of nicsetup: the NICs found, the five ACD parameters of the
// selected one, an editor for a parameter on double-click, and the question
// whether to save on leaving. It keeps no copy of the configuration: the
// combo box entries carry the adapter index into ETHCard as item data.
class CServcfgDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr unsigned IDD = 102;
    static constexpr unsigned IDM_ABOUTBOX = 0x0010; // command of the About item
    static constexpr const char* IDS_ABOUTBOX = "&About Servcfg...";

    explicit CServcfgDlg(QWidget* parent = nullptr);
    ~CServcfgDlg() override;

    // Esc, the close box and "&Cancel".
    void reject() override { OnExit(); }

    // Selects entry `position` of the NIC list.
    void DisplayCard(int position);
    // Fills `list` with the record's five parameter rows and selects the
    // topmost visible row.
    void DisplayVal(const CARD_INFO& card, QTreeWidget* list);
    // A command of the window menu: the About item opens the About box.
    void OnSysCommand(unsigned id);

    bool isModified() const { return modified_ != 0; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OnSelchangeCard();
    void OnDblclkFtols();
    void OnInitExit();
    void OnExit();
    void OnHelp();

private:
    void OnInitDialog();
    void keepOneSize();
    void showStatus();
    void OnSave();
    // Whether to write over what another program saved since the load.
    bool mayOverwriteOtherChanges();
    void showWindowMenu(QPoint globalPos);
    std::optional<unsigned> currentAdapter() const;

    std::unique_ptr<Ui::CServcfgDlg> ui_;
    QIcon icon_;
    int modified_ = 0;
    // The driver's configuration in the store as this dialog shows it.
    StoreFingerprint loaded_;
};

} // namespace velnet::nicsetup
