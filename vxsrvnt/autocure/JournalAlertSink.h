// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/AlertSink.h"

#include <cstdio>

namespace velnet::vxsrvnt::autocure {

// The monitor's alerts in the systemd journal, with the fields a person or a
// script filters on: MESSAGE_ID (the same for every alert of the monitor,
// kMessageId), PRIORITY (info, warning, err), INTERFACE, ADAPTER_NUMBER,
// VXSRVNT_EVENT and the figures. Without a journal (a container, a test) the
// same alerts go as one line each to `fallback`.
class JournalAlertSink : public AlertSink
{
public:
    static constexpr const char* kMessageId = "1efe5131e8394121ad766190d91f73fd";

    // Whether a journal listens on this machine: booted with systemd and
    // its socket there.
    static bool journalAvailable();

    explicit JournalAlertSink(std::FILE* fallback = stderr);
    void write(const Alert& alert) override;

    // The line written without a journal.
    static std::string line(const Alert& alert);

private:
    bool toJournal(const Alert& alert);

    std::FILE* fallback_;
    bool journal_;
};

} // namespace velnet::vxsrvnt::autocure
