// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/tty/terminal_encoding.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>

#include "base/terminal_text.h"

namespace velmora::frontend {
namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

bool IsUtf8Name(std::string_view name) {
    std::string plain;
    for (char c : name) {
        if (c != '-' && c != '_') plain += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    return plain == "UTF8";
}

// Converts all of `in`; false when iconv refuses any of it.
bool ConvertAll(iconv_t cd, std::string_view in, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[64];
    char* dst = buf;
    size_t room = sizeof buf;
    if (iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1)) return false;
    if (iconv(cd, nullptr, nullptr, &dst, &room) == static_cast<size_t>(-1)) return false;
    out.assign(buf, static_cast<size_t>(dst - buf));
    return true;
}

}  // namespace

void TerminalEncoding::Closer::operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }

std::string TerminalEncoding::LocaleCodeset() {
    // A locale object of our own: the program's global locale stays "C",
    // since the game's text is 1251 and never meets the C library's classes.
    if (locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {
        std::string codeset = nl_langinfo_l(CODESET, loc);
        freelocale(loc);
        return codeset;
    }
    std::string name;
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) {
            name = value;
            break;
        }
    }
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return "ANSI_X3.4-1968";
    return name.substr(dot + 1, name.find('@', dot) - dot - 1);
}

TerminalEncoding::TerminalEncoding(const std::string& codeset) : codeset_(codeset) {
    if (IsUtf8Name(codeset)) return;
    bool usable = false;
    if (iconv_t in = iconv_open("UTF-8", codeset.c_str()); in != kNoIconv) {
        // One byte, one character (KOI8-R, CP866, ISO-8859-5, CP1251): a
        // byte that begins a longer character means a set we do not read.
        usable = true;
        for (int b = 0x80; b <= 0xFF && usable; ++b) {
            const char byte = static_cast<char>(b);
            std::string utf8;
            if (ConvertAll(in, std::string_view(&byte, 1), utf8)) {
                high_[b - 0x80] = utf8;
            } else if (errno == EINVAL) {
                usable = false;
            }
        }
        iconv_close(in);
    }
    std::string probe;
    if (usable) {
        iconv_t strict = iconv_open(codeset.c_str(), "UTF-8");
        usable = strict != kNoIconv && ConvertAll(strict, "АаЯяЁё", probe);
        if (strict != kNoIconv) iconv_close(strict);
    }
    if (usable) {
        const std::string translit = codeset + "//TRANSLIT";
        iconv_t out = iconv_open(translit.c_str(), "UTF-8");
        if (out != kNoIconv) {
            out_.reset(out);
            return;
        }
    }
    high_ = {};
    const std::string shown = base::TerminalSafe(codeset);
    warning_ = "velmora: кодировка терминала " + shown +
               " не знает русских букв; игре нужен терминал в UTF-8 (например, LANG=ru_RU.UTF-8 "
               "или LANG=C.UTF-8). Текст пойдёт в UTF-8.\n";
    warning_ += "velmora: the terminal's character set " + shown +
                " has no Russian letters; the game needs a UTF-8 terminal (for example "
                "LANG=ru_RU.UTF-8 or LANG=C.UTF-8). Text is printed in UTF-8.\n";
}

std::string TerminalEncoding::Out(std::string_view utf8) const {
    if (!out_) return std::string(utf8);
    const auto cd = static_cast<iconv_t>(out_.get());
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(utf8.size());
    char* src = const_cast<char*>(utf8.data());
    size_t left = utf8.size();
    char buf[512];
    for (;;) {
        char* dst = buf;
        size_t room = sizeof buf;
        const size_t r = left > 0 ? iconv(cd, &src, &left, &dst, &room) : iconv(cd, nullptr, nullptr, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r != static_cast<size_t>(-1)) {
            if (left == 0) break;
            continue;
        }
        if (errno == E2BIG) continue;
        // Not even transliterated, or broken UTF-8: one character becomes '?'.
        out += '?';
        const size_t n = base::ValidUtf8Length(std::string_view(src, left));
        src += n == 0 ? 1 : n;
        left -= n == 0 ? 1 : n;
    }
    return out;
}

std::string TerminalEncoding::In(std::string_view bytes) const {
    if (!out_) return std::string(bytes);
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8 += c;
        } else {
            utf8 += high_[b - 0x80];
        }
    }
    return utf8;
}

}  // namespace velmora::frontend
