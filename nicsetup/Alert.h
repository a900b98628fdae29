// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class Alert;
}

namespace velnet::nicsetup {

// The alert editor: the three kinds of AlertType of one adapter's record,
// each switched on or off by a double-click and stored at once.
class Alert : public QDialog
{
    Q_OBJECT

public:
    // The label and the row are kept like the other editors' but not used.
    Alert(unsigned adapterIndex, const QString& label, unsigned row, QWidget* parent = nullptr);
    ~Alert() override;

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void DisplayVal();
    void OnDblclkVallist();
    void OnOK();
    void OnCancel();

    std::unique_ptr<Ui::Alert> ui_;
    unsigned adapterIndex_;
    QString label_;
    unsigned row_;
};

} // namespace velnet::nicsetup
