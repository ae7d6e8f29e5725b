#include "base/project_text.h"

#include <array>
#include <cstdio>
#include <unordered_map>

#include "base/encoding.h"
#include "base/file_error.h"
#include "base/paths.h"
#include "base/project_file.h"

namespace velmora::base {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

unsigned char Byte(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

// One UTF-8 character at i: its code point and length; length 0 when the
// bytes there are no well-formed character (overlong, surrogate, cut off).
struct Utf8Char {
    char32_t cp = 0;
    size_t length = 0;
};

Utf8Char DecodeAt(std::string_view s, size_t i) {
    const unsigned char b = Byte(s, i);
    if (b < 0x80) return {b, 1};
    size_t n = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t cp = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        cp = b & 0x0F;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        cp = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return {};
    }
    if (i + n > s.size()) return {};
    for (size_t k = 1; k < n; ++k) {
        const unsigned char c = Byte(s, i + k);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return {};
        cp = (cp << 6) | (c & 0x3F);
    }
    return {cp, n};
}

// Code point to 1251 byte for the bytes 0x80 to 0xFF, built from the one
// conversion the program uses.
const std::unordered_map<char32_t, char>& HighCharacters() {
    static const std::unordered_map<char32_t, char> table = [] {
        std::unordered_map<char32_t, char> t;
        for (int b = 0x80; b <= 0xFF; ++b) {
            const std::string utf8 = Cp1251ToUtf8(std::string(1, static_cast<char>(b)));
            const Utf8Char c = DecodeAt(utf8, 0);
            if (c.length == utf8.size() && c.cp != 0xFFFD) t.emplace(c.cp, static_cast<char>(b));
        }
        return t;
    }();
    return table;
}

// Lines end at CR, LF or CR LF, as the key-line reader splits them.
size_t LineAt(std::string_view s, size_t offset) {
    size_t line = 1;
    for (size_t i = 0; i < offset && i < s.size(); ++i) {
        if (s[i] == '\n' || (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n'))) ++line;
    }
    return line;
}

// Every byte beyond ASCII is a Russian letter or the punctuation Russian text uses.
bool ReadsAsRussian1251(std::string_view s) {
    static const std::string_view kPunctuation = "\x84\x85\x91\x92\x93\x94\x96\x97\xA0\xA8\xAB\xB8\xB9\xBB";
    for (char c : s) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80 || b >= 0xC0) continue;
        if (kPunctuation.find(c) == std::string_view::npos) return false;
    }
    return true;
}

std::string CodePointName(char32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

// What a scan of the text as UTF-8 found.
struct Utf8Scan {
    bool valid = true;
    size_t invalidAt = 0;
    bool beyondAscii = false;
    bool cyrillic = false;
    bool unfit = false;  // a character 1251 lacks
    size_t unfitAt = 0;
    Utf8Char unfitChar;
    std::string text1251;
};

Utf8Scan Scan(std::string_view s) {
    Utf8Scan scan;
    const auto& high = HighCharacters();
    scan.text1251.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const Utf8Char c = DecodeAt(s, i);
        if (c.length == 0) {
            scan.valid = false;
            scan.invalidAt = i;
            return scan;
        }
        if (c.cp < 0x80) {
            scan.text1251 += static_cast<char>(c.cp);
        } else {
            scan.beyondAscii = true;
            if (c.cp >= 0x400 && c.cp <= 0x4FF) scan.cyrillic = true;
            const auto it = high.find(c.cp);
            if (it != high.end()) {
                scan.text1251 += it->second;
            } else if (!scan.unfit) {
                scan.unfit = true;
                scan.unfitAt = i;
                scan.unfitChar = c;
            }
        }
        i += c.length;
    }
    return scan;
}

[[noreturn]] void ThrowUnfit(std::string_view s, const Utf8Scan& scan, const std::string& fileName) {
    const std::string shown(s.substr(scan.unfitAt, scan.unfitChar.length));
    throw FileError(fileName, "строка " + std::to_string(LineAt(s, scan.unfitAt)) + ": знак «" +
                                  shown + "» (" + CodePointName(scan.unfitChar.cp) +
                                  ") нельзя записать в кодировке 1251");
}

}  // namespace

ProjectText DecodeProjectText(std::string_view bytes, const std::string& fileName) {
    const bool bom = bytes.substr(0, kBom.size()) == kBom;
    const std::string_view body = bom ? bytes.substr(kBom.size()) : bytes;
    Utf8Scan scan = Scan(body);
    if (bom) {
        if (!scan.valid) {
            throw FileError(fileName, "строка " + std::to_string(LineAt(body, scan.invalidAt)) +
                                          ": файл начинается с метки UTF-8, но здесь байты не "
                                          "UTF-8; сохраните файл заново в UTF-8 или в 1251");
        }
        if (scan.unfit) ThrowUnfit(body, scan, fileName);
        return {std::move(scan.text1251), true};
    }
    if (!scan.valid || !scan.beyondAscii) return {std::string(body), false};
    if (!scan.unfit) return {std::move(scan.text1251), true};
    if (scan.cyrillic || !ReadsAsRussian1251(body)) ThrowUnfit(body, scan, fileName);
    return {std::string(body), false};
}

std::optional<size_t> LineOfUnconvertible1251(std::string_view text1251) {
    const size_t at = text1251.find('\x98');
    if (at == std::string_view::npos) return std::nullopt;
    return LineAt(text1251, at);
}

std::optional<std::string> ReadProjectText(const std::filesystem::path& root,
                                           std::string_view relative) {
    const GatedFile gated = GateFile(root, relative, FileKind::Text);
    if (gated.Refused()) throw *gated.error;
    if (!gated.Found()) return std::nullopt;
    return DecodeProjectText(ReadCheckedFile(gated.path, FileKind::Text), DisplayPath(gated.path))
        .text;
}

}  // namespace velmora::base
