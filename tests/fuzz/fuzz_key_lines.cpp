// Damaged or hostile key-line files. Whatever the bytes, the indexed list must
// answer as a scan from the first line would, keep its lines through Set and
// through writing and reading back, and the value escaping must give back what
// it promises.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "world/key_lines.h"

namespace {

using velmora::base::EqualsNoCase1251;
using velmora::world::EscapeValue;
using velmora::world::IsPlainKeyLines;
using velmora::world::ParseInt32;
using velmora::world::PlainKeyLines;
using velmora::world::Scramble;
using velmora::world::TMyIniList;
using velmora::world::UnescapeValue;

constexpr size_t kNone = std::string::npos;
// Enough names to reach every kind of line without making each run quadratic.
constexpr size_t kProbedLines = 16;
constexpr size_t kSetLines = 8;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_key_lines: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

// The list as the format defines it: lines split at CR, LF or CR LF, each
// name found by a scan from the first line.
struct Model {
    std::vector<std::string> lines;

    static Model FromText(std::string_view text) {
        Model m;
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r' && text[i] != '\n') continue;
            m.lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        if (start < text.size()) m.lines.emplace_back(text.substr(start));
        return m;
    }

    static bool Named(std::string_view line) { return line.find('=') != kNone; }
    static std::string_view NameOf(std::string_view line) { return line.substr(0, line.find('=')); }
    static std::string_view ValueOf(std::string_view line) {
        return line.substr(line.find('=') + 1);
    }

    size_t Find(std::string_view name) const {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (Named(lines[i]) && EqualsNoCase1251(NameOf(lines[i]), name)) return i;
        }
        return kNone;
    }

    void Set(std::string_view name, std::string_view value) {
        std::string line = std::string(name) + "=" + std::string(value);
        const size_t at = Find(name);
        if (at == kNone) {
            lines.push_back(std::move(line));
        } else {
            lines[at] = std::move(line);
        }
    }
};

void CheckLines(const TMyIniList& list, const Model& model, const char* what) {
    Check(list.LineCount() == model.lines.size(), what);
    for (size_t i = 0; i < model.lines.size(); ++i) Check(list.Line(i) == model.lines[i], what);
}

void CheckFind(const TMyIniList& list, const Model& model, std::string_view name) {
    std::string_view value;
    const bool found = list.Find(name, value);
    const size_t at = model.Find(name);
    Check(found == (at != kNone), "Find disagrees with a scan on whether a name is there");
    if (found) {
        Check(value == Model::ValueOf(model.lines[at]), "Find gives another line than a scan");
    }
}

// The same name in the other case, for the letters the code page has in both.
std::string FlipCase(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDF)) {
            c = static_cast<char>(b + 0x20);
        } else if ((b >= 'a' && b <= 'z') || b >= 0xE0) {
            c = static_cast<char>(b - 0x20);
        } else if (b == 0xA8 || b == 0xB8) {
            c = static_cast<char>(b ^ 0x10);  // Ё and ё
        }
    }
    return out;
}

std::vector<std::string> Names(const Model& model, size_t limit) {
    std::vector<std::string> names;
    for (const std::string& line : model.lines) {
        if (names.size() == limit) break;
        if (Model::Named(line)) names.emplace_back(Model::NameOf(line));
    }
    return names;
}

// What escaping then unescaping must give: control characters other than CR
// dropped, and CR back as CR LF.
std::string EscapedRoundTrip(std::string_view text) {
    std::string out;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b == '\r') {
            out += "\r\n";
        } else if (b >= 32) {
            out += c;
        }
    }
    return out;
}

void CheckEscaping(std::string_view text) {
    const std::string escaped = EscapeValue(text);
    for (char c : escaped) {
        Check(static_cast<unsigned char>(c) >= 32, "an escaped value holds a control character");
    }
    const std::string back = UnescapeValue(escaped);
    Check(back == EscapedRoundTrip(text), "UnescapeValue(EscapeValue(x)) is not x");
    Check(EscapeValue(back) == escaped, "escaping again changes an escaped value");
    Check(UnescapeValue(text).size() <= text.size(), "unescaping made a value longer");
}

// The integer rule written out plainly: spaces, an optional sign, digits only,
// and the value must fit 32 bits.
int32_t ParseModel(std::string_view text, int32_t fallback) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return fallback;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return fallback;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > (int64_t{1} << 32)) magnitude = int64_t{1} << 32;  // far out of range
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int32_t>::min()) return fallback;
    if (value > std::numeric_limits<int32_t>::max()) return fallback;
    return static_cast<int32_t>(value);
}

void CheckParse(std::string_view text) {
    Check(ParseInt32(text, 0x5EED) == ParseModel(text, 0x5EED), "ParseInt32 misreads a number");
    Check(ParseInt32(text, -1) == ParseModel(text, -1), "ParseInt32 misreads a number");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    Check(Scramble(Scramble(bytes)) == bytes, "scrambling twice does not give the bytes back");
    const std::string plain = PlainKeyLines(std::string(bytes));
    Check(plain.find('\0') == kNone, "plain text keeps a zero byte");

    TMyIniList list = TMyIniList::FromFileBytes(std::string(bytes));
    Model model = Model::FromText(plain);
    CheckLines(list, model, "the lines differ from the text split at line breaks");

    for (const std::string& name : Names(model, kProbedLines)) {
        CheckFind(list, model, name);
        CheckFind(list, model, FlipCase(name));
        CheckFind(list, model, name + "0");
        if (!name.empty()) CheckFind(list, model, std::string_view(name).substr(1));
        CheckParse(name);
        CheckEscaping(name);
    }
    CheckFind(list, model, "");
    CheckFind(list, model, "MapScrCount");

    // Values as the writer sets them: escaped, so without line breaks.
    size_t n = 0;
    for (const std::string& name : Names(model, kSetLines)) {
        const std::string value(Model::ValueOf(model.lines[model.Find(name)]));
        CheckParse(value);
        CheckEscaping(value);
        const std::string flipped = FlipCase(name);
        const std::string newValue = EscapeValue(value) + "|" + std::to_string(n);
        list.Set(flipped, newValue);
        model.Set(flipped, newValue);
        const std::string added = "Added" + std::to_string(n++) + name;
        list.Set(added, value.substr(0, value.find_first_of("\r\n")));
        model.Set(added, value.substr(0, value.find_first_of("\r\n")));
    }
    CheckLines(list, model, "Set left the lines other than a scan would");
    for (const std::string& name : Names(model, kProbedLines)) {
        CheckFind(list, model, name);
        CheckFind(list, model, FlipCase(name));
    }

    const std::string text = list.ToText();
    CheckLines(TMyIniList::FromText(text), model, "FromText(ToText()) changes the lines");
    // The scrambled form reads back unless it happens to start like a plain file.
    const std::string fileBytes = list.ToFileBytes();
    if (text.find('\0') == kNone && !IsPlainKeyLines(fileBytes)) {
        CheckLines(TMyIniList::FromFileBytes(std::string(fileBytes)), model,
                   "reading ToFileBytes() back changes the lines");
    }

    CheckEscaping(bytes);
    CheckParse(bytes);
    if (size >= 4) {
        int32_t number;
        std::memcpy(&number, data, sizeof number);
        Check(ParseInt32(std::to_string(number), 0) == number, "a written number reads back wrong");
    }
    return 0;
}
