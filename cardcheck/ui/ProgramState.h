// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/adapter/BindingState.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "cardcheck/ui/SheetState.h"

#include <memory>
#include <string>

namespace velnet::platform {
class OsVersion;
class Restart;
} // namespace velnet::platform

namespace velnet::cardcheck {

// Everything a cardcheck run keeps from its start to its end, and the
// services it asks of the system, in one object: main() makes it, every
// dialog reaches it through SheetContext::program, and the pages' one-line
// accessors below reach the same object.
//
// Tests make none: they use the one current() falls back to, and start each
// case with reset().
class ProgramState
{
public:
    // The services the program uses; without them (tests), the ones
    // installed in common/platform at the moment of the call.
    ProgramState(velnet::platform::Restart& restart, const velnet::platform::OsVersion& os);
    ProgramState();
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;
    // Releases the library without putting drivers back: the program's last
    // step (CCardcheckApp::ExitInstance) has done that already.
    ~ProgramState();

    // The program's one state: the one main() made while it exists,
    // otherwise one kept for tests.
    static ProgramState& current();

    // Selected index, restart-needed, configuration-changed.
    BindingState binding;
    // The sheet's and the pages' flags.
    SheetState sheet;
    // The problem report's answers, offered again in the next wizard run.
    ReportAnswers answers;
    // The file of the last report written in this run; empty before the first.
    std::string reportPath;

    // The loaded card-type library and the NICs; nullptr before discovery
    // found a NIC and after the library was destroyed.
    AdapterLibrary* library() const { return library_.get(); }
    // Creates the library from `discovery` (replacing and destroying any
    // earlier one) and returns it.
    AdapterLibrary& createLibrary(Discovery&& discovery);
    // Destroys the library (see ~AdapterLibrary), if any.
    void destroyLibrary();

    velnet::platform::Restart& restart() const;
    const velnet::platform::OsVersion& os() const;

    // Back to the state of a fresh start: no library (drivers are not put
    // back), every flag and answer as at program start.
    void reset();

private:
    velnet::platform::Restart* restart_ = nullptr;
    const velnet::platform::OsVersion* os_ = nullptr;
    std::unique_ptr<AdapterLibrary> library_;
    ProgramState* previous_ = nullptr;
    bool installed_ = false;
};

// The program-wide pointer every page reaches the hardware through.
inline AdapterLibrary* theAdapterLibrary()
{
    return ProgramState::current().library();
}
inline AdapterLibrary& createAdapterLibrary(Discovery&& discovery)
{
    return ProgramState::current().createLibrary(std::move(discovery));
}
inline void destroyAdapterLibrary()
{
    ProgramState::current().destroyLibrary();
}
inline BindingState& bindingState()
{
    return ProgramState::current().binding;
}
inline SheetState& sheetState()
{
    return ProgramState::current().sheet;
}
inline ReportAnswers& reportAnswers()
{
    return ProgramState::current().answers;
}

} // namespace velnet::cardcheck
