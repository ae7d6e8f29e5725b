// INI profile files (main.ini, Settings/colors.ini) read and written with the
// rules of the Windows profile routines. Text stays code page 1251 bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_error.h"

namespace velmora::base {

// The lines of one profile file. Section and key names are matched without
// regard to letter case; the first matching section, and the first matching
// key in it, win. Saving keeps every line that was not changed byte for byte.
class IniProfile {
public:
    // A missing or unreadable file loads as empty, as the Windows routines read
    // it. An unreadable one is remembered so that Save never replaces it.
    static IniProfile Load(const std::filesystem::path& path);

    // The value with surrounding blanks and one pair of matching quotes removed.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) const;

    // An optional sign and the leading decimal digits ("12abc" is 12, "abc" is
    // 0), saturated. A missing key or an empty value gives fallback.
    int32_t GetInt(std::string_view section, std::string_view key, int32_t fallback) const;

    // Replaces the key's line, or adds the key after the last key of its
    // section, or adds the section at the end. CR and LF are dropped from the
    // value; a value that reading would trim or unquote is written in quotes.
    // Throws std::invalid_argument for a name that could not be read back.
    void SetString(std::string_view section, std::string_view key, std::string_view value);

    // The bytes Save writes.
    std::string Bytes() const;

    // Throws FileError when the file could not be read at Load or cannot be
    // written now (missing folder, no permission).
    void Save() const;

    const std::filesystem::path& path() const { return path_; }
    // Why a file that is there could not be read (a pipe, too large); none
    // when it was read or is missing.
    const std::optional<FileError>& LoadError() const { return load_error_; }

private:
    struct Line {
        std::string text;
        std::string end;  // "\r\n", "\n", "\r", or "" for an unterminated last line
    };

    explicit IniProfile(std::filesystem::path path) : path_(std::move(path)) {}
    void SplitLines(std::string_view bytes);
    // Index of the first header of the section, or lines_.size().
    size_t FindSection(std::string_view name) const;
    size_t SectionEnd(size_t header) const;
    std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;
    void InsertLine(size_t at, std::string text);

    std::filesystem::path path_;
    std::vector<Line> lines_;
    std::string newline_ = "\r\n";  // for lines added or completed
    std::optional<FileError> load_error_;
};

// One-call forms of the Windows routines: load, act, and for a write, save.
std::string GetProfileString(const std::filesystem::path& path, std::string_view section,
                             std::string_view key, std::string_view fallback);
int32_t GetProfileInt(const std::filesystem::path& path, std::string_view section,
                      std::string_view key, int32_t fallback);
// Throws FileError when an existing file cannot be read or the file cannot be written.
void WriteProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value);

}  // namespace velmora::base
