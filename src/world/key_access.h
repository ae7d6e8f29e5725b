// Reading and writing the keys of one section of a key-line file. The same
// transfer code serves both directions: each call either reads a field from
// the list or writes it there, as the accessor was opened.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "world/key_lines.h"
#include "world/records.h"

namespace velmora::world {

// No count read from a file may ask for more items than this.
inline constexpr int32_t kMaxCount = 65535;
// Counted lists may name items that are missing (they read as empty texts);
// more than this many in one file means the file is damaged. It keeps a short
// file from asking for billions of empty texts through many large counts.
inline constexpr int64_t kMaxMissingItems = 65535;

// Splits a text into lines at CR, LF or CR LF; a final line break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
// Each line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

class KeyAccessor {
public:
    // `fileName` names the file in errors.
    KeyAccessor(TMyIniList& list, bool writing, std::string fileName)
        : list_(list), writing_(writing), fileName_(std::move(fileName)) {}

    // The section that every key is prefixed with ("Map", "Scr3", "Hero", …).
    std::string currentSection;

    bool writing() const { return writing_; }
    const std::string& fileName() const { return fileName_; }

    // Missing keys read as 0 and the empty text.
    int32_t ReadInt(std::string_view key);
    std::string ReadText(std::string_view key);
    bool HasKey(std::string_view key);
    void WriteInt(std::string_view key, int32_t value);
    void WriteText(std::string_view key, std::string_view text);

    // Read or write, as the accessor was opened.
    void Int(std::string_view key, int32_t& value);
    void Text(std::string_view key, std::string& value);
    // A count of records or items: a read above kMaxCount throws FileError.
    void Count(std::string_view key, int32_t& value);
    int32_t ReadCount(std::string_view key);
    // A counted list: key + "Cnt", then key + 0 … key + (n-1). Reading appends.
    void List(std::string_view key, std::vector<std::string>& lines);
    void List(std::string_view key, MessageList& list) { List(key, list.lines); }
    // A list of lines stored as one escaped text.
    void WholeText(std::string_view key, std::vector<std::string>& lines);

private:
    std::string_view Name(std::string_view key);

    TMyIniList& list_;
    bool writing_;
    std::string fileName_;
    std::string name_;  // reused buffer for section + key
    int64_t missingItems_ = 0;
};

}  // namespace velmora::world
