// SPDX-License-Identifier: MIT
#include "cardcheck/ui/ProgramState.h"

namespace velnet::cardcheck {

namespace {

ProgramState* installed = nullptr;

} // namespace

ProgramState::ProgramState(velnet::platform::Restart& restart,
                           const velnet::platform::OsVersion& os)
    : restart_(&restart), os_(&os), previous_(installed), installed_(true)
{
    installed = this;
}

ProgramState::ProgramState() = default;

ProgramState::~ProgramState()
{
    library_.reset();
    if (installed_)
        installed = previous_;
}

ProgramState& ProgramState::current()
{
    static ProgramState forTests;
    return installed ? *installed : forTests;
}

AdapterLibrary& ProgramState::createLibrary(Discovery&& discovery)
{
    library_.reset();
    library_ = std::make_unique<AdapterLibrary>(std::move(discovery), binding);
    return *library_;
}

void ProgramState::destroyLibrary()
{
    library_.reset();
}

void ProgramState::reset()
{
    library_.reset();
    binding = BindingState{};
    sheet = SheetState{};
    answers.reset();
    reportPath.clear();
}

} // namespace velnet::cardcheck
