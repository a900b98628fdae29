// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velnet::registry {

// 8-bit text is UTF-8 where it can be, but a value may hold any bytes, and
// they must come back as they were from a UTF-16 file too. So a byte that is
// not part of valid UTF-8 travels in UTF-16 as the unpaired low surrogate
// 0xDC00 + byte (0xDC80..0xDCFF), which no valid text holds.

// UTF-16LE bytes to 8-bit text, appended to `out`; such a surrogate gives its
// byte back. False on any other unpaired surrogate, or when the result would
// not be written back as the same UTF-16 (bytes that together spell UTF-8).
bool utf16ToUtf8(std::string_view bytes, std::string& out);

// 8-bit text to UTF-16LE bytes, appended to `out`, each byte that is not
// part of valid UTF-8 as its surrogate; the result says whether all of it was
// valid UTF-8. utf16ToUtf8 always turns the result back into `text`.
bool utf8ToUtf16(std::string_view text, std::string& out);

} // namespace velnet::registry
