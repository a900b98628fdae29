// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace velnet::platform {

// The systems the programs tell apart.
enum class OsKind
{
    Windows95,
    WindowsNT4,
    Linux
};

// What the programs ask of the operating system's version, in the shape the
// Windows version query gives it. On systems that are not Windows the major
// version is 0, so that no Windows-only branch is taken.
struct OsVersionInfo
{
    OsKind kind = OsKind::Linux;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    // 1 for the Windows 95 family, 2 for Windows NT, 0 elsewhere.
    std::uint32_t platformId = 0;
    // The kernel's release on Linux ("6.1.0-18-amd64"); a service pack text on Windows.
    std::string release;
};

// Platform ids of the Windows version query.
inline constexpr std::uint32_t kPlatformWin32Windows = 1;
inline constexpr std::uint32_t kPlatformWin32Nt = 2;

class OsVersion
{
public:
    virtual ~OsVersion() = default;
    virtual OsVersionInfo info() const = 0;

    // Restarting the computer may be refused to an ordinary user: true on
    // Windows NT and on Linux, false on Windows 95.
    bool restartNeedsPrivileges() const;
};

// The system the program runs on.
class SystemOsVersion : public OsVersion
{
public:
    OsVersionInfo info() const override;
};

// Plays one of the known systems, for tests.
class FakeOsVersion : public OsVersion
{
public:
    explicit FakeOsVersion(OsKind kind);
    OsVersionInfo info() const override { return info_; }
    void setInfo(const OsVersionInfo& info) { info_ = info; }

private:
    OsVersionInfo info_;
};

// The program-wide service: the real system unless a test installed another.
OsVersion& osVersion();
// Installs a replacement (nullptr goes back to the real system); returns the one it replaces.
OsVersion* setOsVersion(OsVersion* version);

} // namespace velnet::platform
