// SPDX-License-Identifier: MIT
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace velnet::vxsrvnt::autocure::test {

// A journal of the test's own, for a child process that runs as root: /run
// and /var/log/journal become fresh tmpfs in a mount namespace of the
// child's own, and systemd-journald listens there, so that sd_journal_send
// and journalctl of that child (and its children) meet nothing of the
// machine's. Ends with the object.
class PrivateJournal
{
public:
    // Why it cannot be had here, or nothing once journald listens.
    std::optional<std::string> start();
    ~PrivateJournal();

    // `journalctl -o json` entries matching `match` ("FIELD=value"), of this
    // journal or, outside one, of the machine's.
    static std::vector<nlohmann::json> entries(const std::string& match);
    // `journalctl -o OUTPUT` text for `match`.
    static std::string text(const std::string& output, const std::string& match);

private:
    pid_t journald_ = -1;
};

} // namespace velnet::vxsrvnt::autocure::test
