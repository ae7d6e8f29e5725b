#include "base/encoding.h"
#include "base/utf8.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace velmora::base {
namespace {

bool IsAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// One conversion descriptor per direction and thread, reset before each use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts text; on a byte sequence it cannot convert, appends `bad` and
    // skips `skip(in, left)` bytes. Returns false when anything was replaced.
    template <typename Skip>
    bool Run(std::string_view text, std::string_view bad, std::string& out, Skip skip) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.clear();
        out.reserve(text.size() * 2);
        char* in = const_cast<char*>(text.data());
        size_t inLeft = text.size();
        char buf[1024];
        bool clean = true;
        while (inLeft > 0) {
            char* o = buf;
            size_t oLeft = sizeof buf;
            const size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buf, static_cast<size_t>(o - buf));
            if (r != static_cast<size_t>(-1)) {
                // A count of irreversible conversions: musl's iconv (the web
                // build's) writes '*' for a character the target lacks and
                // counts it, where glibc's fails with EILSEQ.
                if (r > 0) clean = false;
                continue;
            }
            if (errno == E2BIG) continue;
            // EILSEQ, or EINVAL for a sequence cut off at the end.
            clean = false;
            out.append(bad);
            const size_t n = skip(in, inLeft);
            in += n;
            inLeft -= n;
        }
        return clean;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence at p, or 1 for a byte that starts none.
size_t Utf8SequenceLength(const char* p, size_t left) {
    const unsigned char b = static_cast<unsigned char>(p[0]);
    size_t n = 1;
    if (b >= 0xF0 && b < 0xF8) {
        n = 4;
    } else if (b >= 0xE0) {
        n = 3;
    } else if (b >= 0xC0) {
        n = 2;
    }
    if (n > left) return 1;
    for (size_t i = 1; i < n; ++i) {
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

bool ToCp1251(std::string_view text, std::string& out) {
    thread_local Converter conv("CP1251", "UTF-8");
    return conv.Run(text, "?", out, Utf8SequenceLength);
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view text) {
    if (IsAscii(text)) return std::string(text);
    thread_local Converter conv("UTF-8", "CP1251");
    std::string out;
    conv.Run(text, "\xEF\xBF\xBD", out, [](const char*, size_t) { return size_t{1}; });
    return out;
}

std::string Utf8ToCp1251(std::string_view text) {
    if (IsAscii(text)) return std::string(text);
    std::string out;
    ToCp1251(text, out);
    return out;
}

bool FitsCp1251(std::string_view utf8) {
    if (IsAscii(utf8)) return true;
    std::string out;
    return ToCp1251(utf8, out);
}

std::optional<char> Cp1251Of(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return std::nullopt;
    std::string utf8;
    if (cp < 0x800) {
        utf8 += static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (cp >> 12));
        utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | (cp >> 18));
        utf8 += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    utf8 += static_cast<char>(0x80 | (cp & 0x3F));
    std::string out;
    if (!ToCp1251(utf8, out) || out.size() != 1) return std::nullopt;
    return out[0];
}

Utf8 ToUtf8(std::string_view cp1251) { return Utf8(Cp1251ToUtf8(cp1251)); }

std::string ToCp1251(const Utf8& text) { return Utf8ToCp1251(text.view()); }

}  // namespace velmora::base
