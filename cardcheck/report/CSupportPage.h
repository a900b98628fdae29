// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/PropertyPage.h"
#include "cardcheck/ui/SheetContext.h"

#include <memory>

namespace Ui {
class CSupportPage;
}

namespace velnet::cardcheck {

// The "Support" page: five steps of self-help, each with what it needs: the
// Diagnostics page, the release notes, the bulletin boards, the web site and
// the problem-report wizard.
class CSupportPage : public PropertyPage
{
    Q_OBJECT

public:
    static constexpr std::uint32_t kReleaseNotesTopic = 394324; // 0x60454
    static constexpr int kDiagnosticsPage = 2;

    explicit CSupportPage(SheetContext& context, QWidget* parent = nullptr);
    ~CSupportPage() override;

    static std::vector<ContextHelp::Entry> helpTable();

private:
    void OnDiagnostics();
    void OnReleaseNotes();
    void OnBbsInformation();
    void OnProblemReport();

    std::unique_ptr<Ui::CSupportPage> ui_;
    SheetContext& context_;
    ContextHelp* help_;
};

} // namespace velnet::cardcheck
