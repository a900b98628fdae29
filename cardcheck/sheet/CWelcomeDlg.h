// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/SheetContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class CWelcomeDlg;
}

namespace velnet::cardcheck {

class ContextHelp;

// The opening dialog after an installation ("-inf"): "Continue" goes on into
// the program, "&Close" ends it, "&Release Notes" opens the release notes.
class CWelcomeDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr std::uint32_t kReleaseNotesTopic = 394324; // 0x60454

    explicit CWelcomeDlg(SheetContext& context, QWidget* parent = nullptr);
    ~CWelcomeDlg() override;

private:
    void OnReleaseNotes();

    std::unique_ptr<Ui::CWelcomeDlg> ui_;
    SheetContext& context_;
    ContextHelp* help_;
};

} // namespace velnet::cardcheck
