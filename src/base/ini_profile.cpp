#include "base/ini_profile.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <system_error>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/project_file.h"

namespace fs = std::filesystem;

namespace velmora::base {
namespace {

constexpr std::string_view kBlanks = " \t\v\f";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Windows strips one pair of matching quotes from a value.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

struct Entry {
    enum class Kind { kOther, kSection, kKey };
    Kind kind = Kind::kOther;
    std::string_view name;
    std::string_view value;  // trimmed, still quoted
};

Entry Parse(std::string_view line) {
    const std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';') return {};
    if (text.front() == '[') {
        // The last ']' closes the name, as Windows reads it; without one the
        // line may still be a key.
        const size_t close = text.rfind(']');
        if (close != std::string_view::npos) {
            return {Entry::Kind::kSection, Trim(text.substr(1, close - 1)), {}};
        }
    }
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) return {};
    const std::string_view name = Trim(text.substr(0, eq));
    if (name.empty()) return {};
    return {Entry::Kind::kKey, name, Trim(text.substr(eq + 1))};
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Names that, written out, would not read back as the same section or key.
void CheckNames(std::string_view section, std::string_view key) {
    if (section.empty() || HasLineBreak(section)) {
        throw std::invalid_argument("bad profile section name");
    }
    if (key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.front() == ';' || key.front() == '[') {
        throw std::invalid_argument("bad profile key name");
    }
}

// The text to write so that GetString gives back `value` without its line breaks.
std::string StoredValue(std::string_view value) {
    std::string text;
    for (const char c : value) {
        if (c != '\r' && c != '\n') text += c;
    }
    if (Trim(text).size() != text.size() || Unquote(text).size() != text.size()) {
        return '"' + text + '"';
    }
    return text;
}

int32_t ParseInt(std::string_view text) {
    // One past the int32 magnitude, so that further digits cannot overflow.
    constexpr int64_t kCap = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), kCap);
    }
    const int64_t n = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(std::clamp<int64_t>(n, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

IniProfile IniProfile::Load(const fs::path& path) {
    IniProfile profile(path);
    std::string bytes;
    try {
        bytes = ReadCheckedFile(path, FileKind::Settings);
    } catch (const FileError& error) {
        std::error_code ec;
        if (fs::exists(path, ec) || ec) profile.load_error_ = error;
        return profile;
    }
    profile.SplitLines(bytes);
    return profile;
}

void IniProfile::SplitLines(std::string_view bytes) {
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        const size_t len = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 2 : 1;
        lines_.push_back(
            {std::string(bytes.substr(start, i - start)), std::string(bytes.substr(i, len))});
        i += len - 1;
        start = i + 1;
    }
    if (start < bytes.size()) lines_.push_back({std::string(bytes.substr(start)), ""});

    // Follow the file's line ends when they are all alike; mixed ends get CR LF.
    std::string style;
    for (const Line& line : lines_) {
        if (line.end.empty()) continue;
        if (style.empty()) {
            style = line.end;
        } else if (style != line.end) {
            return;
        }
    }
    if (!style.empty()) newline_ = style;
}

size_t IniProfile::FindSection(std::string_view name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Entry entry = Parse(lines_[i].text);
        if (entry.kind == Entry::Kind::kSection && EqualsNoCase1251(entry.name, name)) return i;
    }
    return lines_.size();
}

size_t IniProfile::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && Parse(lines_[i].text).kind != Entry::Kind::kSection) ++i;
    return i;
}

std::optional<std::string_view> IniProfile::FindValue(std::string_view section,
                                                      std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    const size_t header = FindSection(section);
    if (header == lines_.size()) return std::nullopt;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        const Entry entry = Parse(lines_[i].text);
        if (entry.kind == Entry::Kind::kKey && EqualsNoCase1251(entry.name, key)) {
            return Unquote(entry.value);
        }
    }
    return std::nullopt;
}

std::string IniProfile::GetString(std::string_view section, std::string_view key,
                                  std::string_view fallback) const {
    return std::string(FindValue(section, key).value_or(fallback));
}

int32_t IniProfile::GetInt(std::string_view section, std::string_view key, int32_t fallback) const {
    // Windows reads the value as text first, and no text gives the default.
    const std::optional<std::string_view> value = FindValue(section, key);
    if (!value || value->empty()) return fallback;
    return ParseInt(*value);
}

void IniProfile::InsertLine(size_t at, std::string text) {
    // Only the file's last line can lack an end, and it is no longer last.
    if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = newline_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{std::move(text), newline_});
}

void IniProfile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    CheckNames(section, key);
    const std::string stored = StoredValue(value);

    const size_t header = FindSection(section);
    if (header == lines_.size()) {
        std::string headerLine = "[";
        headerLine.append(section).append("]");
        InsertLine(lines_.size(), std::move(headerLine));
        InsertLine(lines_.size(), std::string(key) + "=" + stored);
        return;
    }
    const size_t end = SectionEnd(header);
    size_t insert_at = header + 1;
    for (size_t i = header + 1; i < end; ++i) {
        const Entry entry = Parse(lines_[i].text);
        if (entry.kind != Entry::Kind::kKey) continue;
        if (EqualsNoCase1251(entry.name, key)) {
            // Keep the key's spelling from the file; the line's own end stays.
            lines_[i].text = std::string(entry.name) + "=" + stored;
            return;
        }
        insert_at = i + 1;
    }
    InsertLine(insert_at, std::string(key) + "=" + stored);
}

std::string IniProfile::Bytes() const {
    std::string bytes;
    for (const Line& line : lines_) bytes += line.text + line.end;
    return bytes;
}

void IniProfile::Save() const {
    // Writing over a file we could not read would lose everything in it.
    if (load_error_) throw *load_error_;
    WriteFileAtomic(path_, Bytes());
}

std::string GetProfileString(const fs::path& path, std::string_view section, std::string_view key,
                             std::string_view fallback) {
    return IniProfile::Load(path).GetString(section, key, fallback);
}

int32_t GetProfileInt(const fs::path& path, std::string_view section, std::string_view key,
                      int32_t fallback) {
    return IniProfile::Load(path).GetInt(section, key, fallback);
}

void WriteProfileString(const fs::path& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    IniProfile profile = IniProfile::Load(path);
    profile.SetString(section, key, value);
    profile.Save();
}

}  // namespace velmora::base
