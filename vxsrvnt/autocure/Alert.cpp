// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/Alert.h"

#include <syslog.h>

namespace velnet::vxsrvnt::autocure {

const char* alertKindName(AlertKind kind)
{
    switch (kind) {
    case AlertKind::Information:
        return "Information";
    case AlertKind::Warning:
        return "Warning";
    case AlertKind::Error:
        return "Error";
    }
    return "?";
}

int alertPriority(AlertKind kind)
{
    switch (kind) {
    case AlertKind::Information:
        return LOG_INFO;
    case AlertKind::Warning:
        return LOG_WARNING;
    case AlertKind::Error:
        return LOG_ERR;
    }
    return LOG_ERR;
}

} // namespace velnet::vxsrvnt::autocure
