// SPDX-License-Identifier: MIT
#include "vxsrvnt/apply/IntentJournal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace velnet::vxsrvnt {

IntentJournal::IntentJournal(std::string runtimeDir)
    : directory_(std::move(runtimeDir)), path_(directory_ + "/apply.journal")
{
}

Outcome IntentJournal::record(const std::string& line)
{
    if (::mkdir(directory_.c_str(), 0755) != 0 && errno != EEXIST)
        return fail("cannot make " + directory_ + ": " + std::strerror(errno));
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail("cannot open " + path_ + ": " + std::strerror(errno));
    const std::string text = line + "\n";
    // Written through before the kernel is asked: the journal must never
    // know less than the kernel holds.
    const bool written =
        ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
        ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!written)
        return fail("cannot write " + path_ + ": " + std::strerror(error));
    return {};
}

std::vector<std::string> IntentJournal::entries() const
{
    std::vector<std::string> lines;
    std::ifstream file(path_);
    for (std::string line; std::getline(file, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

void IntentJournal::clear()
{
    // Absent already is as good as removed.
    (void)::unlink(path_.c_str());
}

} // namespace velnet::vxsrvnt
