// SPDX-License-Identifier: MIT
#pragma once

namespace velnet::nicsetup {

// The caption of every message box nicsetup shows.
inline constexpr const char* PROGRAM_NAME = "nicsetup";

} // namespace velnet::nicsetup
