// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velnet::registry {

// UTF-16LE bytes to UTF-8, appended to `out`; false on an unpaired surrogate.
bool utf16ToUtf8(std::string_view bytes, std::string& out);

// UTF-8 text to UTF-16LE bytes, appended to `out`. A byte that is not part of
// valid UTF-8 becomes the character of the same number (as Latin-1 reads it),
// so nothing is lost in length; the result says whether all of it was valid.
bool utf8ToUtf16(std::string_view text, std::string& out);

} // namespace velnet::registry
