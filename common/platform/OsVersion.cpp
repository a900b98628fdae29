// SPDX-License-Identifier: MIT
#include "common/platform/OsVersion.h"

#include <sys/utsname.h>

namespace velnet::platform {

namespace {

OsVersion* installed = nullptr;

} // namespace

bool OsVersion::restartNeedsPrivileges() const
{
    return info().kind != OsKind::Windows95;
}

OsVersionInfo SystemOsVersion::info() const
{
    OsVersionInfo result;
    result.kind = OsKind::Linux;
    utsname names{};
    if (::uname(&names) == 0)
        result.release = names.release;
    return result;
}

FakeOsVersion::FakeOsVersion(OsKind kind)
{
    info_.kind = kind;
    switch (kind) {
    case OsKind::Windows95:
        info_ = {kind, 4, 0, 950, kPlatformWin32Windows, ""};
        break;
    case OsKind::WindowsNT4:
        info_ = {kind, 4, 0, 1381, kPlatformWin32Nt, "Service Pack 3"};
        break;
    case OsKind::Linux:
        info_ = {kind, 0, 0, 0, 0, "6.1.0-test"};
        break;
    }
}

OsVersion& osVersion()
{
    static SystemOsVersion system;
    return installed ? *installed : system;
}

OsVersion* setOsVersion(OsVersion* version)
{
    OsVersion* previous = installed;
    installed = version;
    return previous;
}

} // namespace velnet::platform
