// The key-line file format shared by adventure projects and saved games:
// lines "<name>=<value>" in code page 1251, plain or scrambled with 0x9D,
// looked up by name without regard to letter case, first line first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::world {

inline constexpr unsigned char kScrambleByte = 0x9D;

// True when the bytes start as a plain project or state file ("Gam", "Map", "Her").
bool IsPlainKeyLines(std::string_view bytes);

// Every byte combined with 0x9D; applying it twice gives the bytes back.
std::string Scramble(std::string_view bytes);

// The plain text of a file: unscrambled unless it starts plain, cut at the first zero byte.
std::string PlainKeyLines(std::string bytes);

// True when a project file starts with the mark of UTF-8: the game reads it
// as plain text, never unscrambled.
bool StartsWithUtf8Mark(std::string_view bytes);

// A project's key-line file as the game reads it: plain when it starts with
// the mark of UTF-8 (editors write it; a scrambled file never starts so),
// else unscrambled unless it starts plain; cut at the first zero byte; and
// turned into 1251 (base::DecodeProjectText). Saves are read with
// PlainKeyLines alone: the program writes them, always in 1251.
struct ProjectKeyLines {
    std::string text;  // 1251
    bool scrambled = false;
    bool wasUtf8 = false;
};
// Throws base::FileError naming `fileName` and the line of a character 1251 lacks.
ProjectKeyLines DecodeProjectKeyLines(std::string bytes, const std::string& fileName);

// Text value escaping: backslash doubled, CR as "\n", other control characters dropped.
std::string EscapeValue(std::string_view text);
// "\n" gives CR LF, "\\" one backslash, a backslash with anything else (or at the end) nothing.
std::string UnescapeValue(std::string_view value);

// A decimal integer (optional leading spaces and sign); anything else, or a
// number outside 32 bits, gives `fallback`.
int32_t ParseInt32(std::string_view text, int32_t fallback);
// The same number, or nothing when the text is not one.
std::optional<int32_t> TryParseInt32(std::string_view text);

// The lines of one file. Lookups go through a hash index on the lower-cased
// name, so reading a whole file is linear in its size while giving exactly
// what a scan from the first line would give.
class TMyIniList {
public:
    TMyIniList() = default;

    // Splits plain text into lines at CR, LF or CR LF.
    static TMyIniList FromText(std::string plainText);
    // Reads a file's bytes: plain or scrambled, up to the first zero byte.
    static TMyIniList FromFileBytes(std::string bytes) {
        return FromText(PlainKeyLines(std::move(bytes)));
    }

    size_t LineCount() const { return lines_.size(); }
    std::string_view Line(size_t i) const;

    // The value of the first line whose name equals `name` without regard to
    // case; false when there is none.
    bool Find(std::string_view name, std::string_view& value) const;

    // Replaces the first line named `name` in place, or appends a new line.
    void Set(std::string_view name, std::string_view value);

    // The lines joined with CR LF after each line.
    std::string ToText() const;
    // The text as the program writes files: scrambled.
    std::string ToFileBytes() const { return Scramble(ToText()); }

private:
    struct LineRef {
        size_t offset;     // into text_
        size_t length;     // the whole line
        size_t nameEnd;    // length of the name (up to the first '='), or kNoName
        uint32_t hash;     // of the lower-cased name
        bool first;        // no earlier line has this name: a lookup may answer with it
    };
    static constexpr size_t kNoName = SIZE_MAX;
    static constexpr size_t kNotFound = SIZE_MAX;

    void AddLine(size_t offset, size_t length);
    void SortNames();
    void Index(size_t line);
    void Grow();
    std::string_view NameOf(const LineRef& ref) const;
    size_t LookupHinted(std::string_view name) const;
    size_t Lookup(std::string_view name, uint32_t hash) const;

    std::string text_;  // line bytes; replaced lines leave their old bytes behind
    std::vector<LineRef> lines_;
    // The lines read from text, as hash (high half) and line (low half),
    // sorted by hash and then line: built in a few sequential passes, and
    // equal names stand together, the first one first.
    std::vector<uint64_t> sorted_;
    // Lines added by Set: open addressing, each slot the hash (high half) and
    // line + 1 (low half; 0 is an empty slot) of the first line of a name.
    std::vector<uint64_t> slots_;
    size_t indexed_ = 0;
    // Readers ask for keys in the order files hold them: the line after the
    // last one found is tried before the table.
    mutable size_t hint_ = 0;
};

}  // namespace velmora::world
