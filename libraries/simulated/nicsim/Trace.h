// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velnet::nicsim {

// Appends one line to the file NICPORT_TRACE names (nothing without it), so
// that a test can see which calls reached a library and when it was loaded
// and unloaded.
void trace(const std::string& line);

} // namespace velnet::nicsim
