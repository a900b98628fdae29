// SPDX-License-Identifier: MIT
#include "vxsrvnt/apply/IntentJournal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    if (error)
        return fail("cannot make " + directory_ + ": " + error.message());
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail("cannot open " + path_ + ": " + std::strerror(errno));
    const std::string text = line + "\n";
    // Written through before the kernel is asked: the journal must never
    // know less than the kernel holds.
    const bool written =
        ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
        ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    if (!written)
        return fail("cannot write " + path_ + ": " + std::strerror(writeError));
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
