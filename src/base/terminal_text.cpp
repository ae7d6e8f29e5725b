// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/terminal_text.h"

namespace velmora::base {

size_t ValidUtf8Length(std::string_view s, char32_t* out) {
    if (s.empty()) return 0;
    char32_t cp = 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    size_t len = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        if (out) *out = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < len) return 0;
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    if (out) *out = cp;
    return len;
}

std::string TerminalSafe(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        char32_t cp = 0;
        const size_t len = ValidUtf8Length(utf8, &cp);
        if (len == 0) {
            out += '?';
            utf8.remove_prefix(1);
            continue;
        }
        if (cp == '\t' || cp == '\n' || cp == '\r' || cp == '\v' || cp == '\f') {
            out += ' ';
        } else if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F)) {
            out += '?';
        } else {
            out.append(utf8.substr(0, len));
        }
        utf8.remove_prefix(len);
    }
    return out;
}

}  // namespace velmora::base
