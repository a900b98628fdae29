// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/JournalAlertSink.h"

#include <string>
#include <sys/uio.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>
#include <unistd.h>
#include <vector>

namespace velnet::vxsrvnt::autocure {

namespace {

constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

std::string subject(const Alert& alert)
{
    if (alert.ifname.empty() && alert.adapterNumber == 0)
        return "";
    std::string s = alert.ifname.empty()
                        ? "adapter " + std::to_string(alert.adapterNumber)
                        : alert.ifname + " (adapter " + std::to_string(alert.adapterNumber) + ")";
    return s + ": ";
}

} // namespace

bool JournalAlertSink::journalAvailable()
{
    return sd_booted() > 0 && access(kJournalSocket, W_OK) == 0;
}

JournalAlertSink::JournalAlertSink(std::FILE* fallback)
    : fallback_(fallback), journal_(journalAvailable())
{
}

std::string JournalAlertSink::line(const Alert& alert)
{
    std::string text = std::string("vxsrvnt: autocure ") + alertKindName(alert.kind) + ": " +
                       subject(alert) + alert.message;
    for (const auto& [name, value] : alert.fields)
        text += " " + name + "=" + value;
    return text;
}

void JournalAlertSink::write(const Alert& alert)
{
    // A journal that refuses the message (full, restarting) must not lose it.
    if (journal_ && toJournal(alert))
        return;
    std::fprintf(fallback_, "%s\n", line(alert).c_str());
    std::fflush(fallback_);
}

bool JournalAlertSink::toJournal(const Alert& alert)
{
    std::vector<std::string> fields{
        "MESSAGE=" + subject(alert) + alert.message,
        std::string("MESSAGE_ID=") + kMessageId,
        "SYSLOG_IDENTIFIER=vxsrvnt",
        "PRIORITY=" + std::to_string(alertPriority(alert.kind)),
        std::string("VXSRVNT_ALERT=") + alertKindName(alert.kind),
        "VXSRVNT_EVENT=" + alert.event,
    };
    if (!alert.ifname.empty())
        fields.push_back("INTERFACE=" + alert.ifname);
    if (alert.adapterNumber != 0)
        fields.push_back("ADAPTER_NUMBER=" + std::to_string(alert.adapterNumber));
    for (const auto& [name, value] : alert.fields)
        fields.push_back(name + "=" + value);

    std::vector<iovec> vector;
    vector.reserve(fields.size());
    for (std::string& f : fields)
        vector.push_back({f.data(), f.size()});
    return sd_journal_sendv(vector.data(), static_cast<int>(vector.size())) >= 0;
}

} // namespace velnet::vxsrvnt::autocure
