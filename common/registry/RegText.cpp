// SPDX-License-Identifier: MIT
#include "common/registry/RegText.h"

namespace velnet::registry {

namespace {

constexpr char32_t kByteEscape = 0xDC00;

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUnit(std::string& out, char32_t unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

// The code point of the UTF-8 sequence at text[i] and its length, or a length
// of 0 when the bytes there are no valid (shortest-form, non-surrogate) sequence.
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& cp)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80)
        return cp = lead, 1;
    if ((lead & 0xE0) == 0xC0)
        length = 2, cp = lead & 0x1F, min = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, cp = lead & 0x0F, min = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, cp = lead & 0x07, min = 0x10000;
    else
        return 0;
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool utf16ToUtf8(std::string_view bytes, std::string& out)
{
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    const std::size_t start = out.size();
    out.reserve(out.size() + units);
    bool escaped = false;
    for (std::size_t i = 0; i < units; ++i) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 1 >= units)
                return false;
            const char32_t low = unit(i + 1);
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        } else if (cp >= kByteEscape + 0x80 && cp <= kByteEscape + 0xFF) {
            out += static_cast<char>(cp - kByteEscape);
            escaped = true;
            continue;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return false;
        }
        appendUtf8(out, cp);
    }
    if (!escaped)
        return true;
    // Escaped bytes next to each other may spell valid UTF-8, which would be
    // written back as one character: such text did not come from us.
    std::string again;
    utf8ToUtf16(std::string_view(out).substr(start), again);
    return again == bytes.substr(0, 2 * units);
}

bool utf8ToUtf16(std::string_view text, std::string& out)
{
    bool valid = true;
    out.reserve(out.size() + 2 * text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        std::size_t length = decodeUtf8(text, i, cp);
        if (length == 0) {
            valid = false;
            cp = kByteEscape + static_cast<unsigned char>(text[i]);
            length = 1;
        }
        i += length;
        if (cp >= 0x10000) {
            appendUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            appendUnit(out, cp);
        }
    }
    return valid;
}

} // namespace velnet::registry
