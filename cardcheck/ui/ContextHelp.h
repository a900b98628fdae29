// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAbstractItemView;
class QWidget;

namespace velnet::platform {
class HelpViewer;
}

namespace velnet::cardcheck {

// Context help for one dialog or page: F1 over the focused control, a click
// in "What's This?" mode (the caption's help button) and the right-button
// context menu show the control's pop-up topic of the program's help file,
// found through the dialog's table of control id to help id. Rows of a list
// can take their help id from the card-type library instead. Every help
// request clears the help-from-keyboard flag.
class ContextHelp : public QObject
{
    Q_OBJECT

public:
    struct Entry
    {
        int controlId;
        std::uint32_t helpId;
    };

    // Which row of a list a help request means.
    enum class RowChoice
    {
        UnderPointer,         // always the row under the pointer
        SelectedAfterKeyboard // the selected row when the request came from F1
    };
    using RowHelp = std::function<std::uint32_t(int row)>;
    // A dialog's own rule for some controls: the help id for a request over
    // `control`, or 0 to go on with the row help and the table.
    using HelpOverride =
        std::function<std::uint32_t(QWidget* control, QPoint globalPos, bool fromKeyboard)>;

    ContextHelp(QWidget* dialog, std::vector<Entry> table, velnet::platform::HelpViewer& viewer);
    ~ContextHelp() override;

    // Rows of `list` take their help id from `rowHelp`; a request over no row
    // goes to the table.
    void setRowHelp(QAbstractItemView* list, RowHelp rowHelp,
                    RowChoice choice = RowChoice::UnderPointer);

    void setHelpOverride(HelpOverride helpOverride) { override_ = std::move(helpOverride); }

    // A help request for `widget` at the screen position (what F1 and the
    // "What's This?" click lead to). True when a topic was asked for.
    bool helpRequest(QWidget* widget, QPoint globalPos);
    // The context menu over `widget`. True when a menu was offered.
    bool contextMenu(QWidget* widget, QPoint globalPos);

    // The help id of a control in the table; 0 when it has none.
    std::uint32_t tableHelpId(int controlId) const;

    // The help file: the program's path with .hlp (set otherwise in tests).
    void setHelpFile(std::string path) { helpFile_ = std::move(path); }
    const std::string& helpFile() const { return helpFile_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ListHelp
    {
        QPointer<QAbstractItemView> list;
        RowHelp rowHelp;
        RowChoice choice;
    };

    bool belongsToDialog(QObject* object) const;
    // The nearest widget from `widget` up that has a control id or is a list
    // with row help; nullptr when there is none inside the dialog.
    QWidget* controlFor(QWidget* widget) const;
    const ListHelp* listHelpFor(const QWidget* control) const;
    int rowFor(const ListHelp& help, QPoint globalPos, bool fromKeyboard) const;

    QPointer<QWidget> dialog_;
    std::vector<Entry> table_;
    velnet::platform::HelpViewer& viewer_;
    std::vector<ListHelp> lists_;
    HelpOverride override_;
    std::string helpFile_;
};

} // namespace velnet::cardcheck
