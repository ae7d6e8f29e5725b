#include "world/key_access.h"

#include "base/file_error.h"

namespace velmora::world {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text.append(line).append("\r\n");
    return text;
}

std::string_view KeyAccessor::Name(std::string_view key) {
    name_.assign(currentSection).append(key);
    return name_;
}

int32_t KeyAccessor::ReadInt(std::string_view key) {
    std::string_view value;
    if (!list_.Find(Name(key), value)) return 0;
    return ParseInt32(value, 0);
}

std::string KeyAccessor::ReadText(std::string_view key) {
    std::string_view value;
    if (!list_.Find(Name(key), value)) return {};
    return UnescapeValue(value);
}

bool KeyAccessor::HasKey(std::string_view key) {
    std::string_view value;
    return list_.Find(Name(key), value);
}

void KeyAccessor::WriteInt(std::string_view key, int32_t value) {
    list_.Set(Name(key), std::to_string(value));
}

void KeyAccessor::WriteText(std::string_view key, std::string_view text) {
    list_.Set(Name(key), EscapeValue(text));
}

void KeyAccessor::Int(std::string_view key, int32_t& value) {
    if (writing_) {
        WriteInt(key, value);
    } else {
        value = ReadInt(key);
    }
}

void KeyAccessor::Text(std::string_view key, std::string& value) {
    if (writing_) {
        WriteText(key, value);
    } else {
        value = ReadText(key);
    }
}

int32_t KeyAccessor::ReadCount(std::string_view key) {
    const int32_t value = ReadInt(key);
    if (value > kMaxCount) {
        throw base::FileError(fileName_, "счётчик " + std::string(Name(key)) + "=" +
                                             std::to_string(value) + " больше " +
                                             std::to_string(kMaxCount));
    }
    return value;
}

void KeyAccessor::Count(std::string_view key, int32_t& value) {
    if (writing_) {
        WriteInt(key, value);
    } else {
        value = ReadCount(key);
    }
}

void KeyAccessor::List(std::string_view key, std::vector<std::string>& lines) {
    const std::string base(key);
    if (writing_) {
        WriteInt(base + "Cnt", static_cast<int32_t>(lines.size()));
        for (size_t i = 0; i < lines.size(); ++i) WriteText(base + std::to_string(i), lines[i]);
        return;
    }
    const int32_t count = ReadCount(base + "Cnt");
    for (int32_t i = 0; i < count; ++i) {
        std::string_view value;
        if (list_.Find(Name(base + std::to_string(i)), value)) {
            lines.push_back(UnescapeValue(value));
            continue;
        }
        if (++missingItems_ > kMaxMissingItems) {
            throw base::FileError(fileName_, "не хватает больше " +
                                                 std::to_string(kMaxMissingItems) +
                                                 " элементов списков (последний " + name_ + ")");
        }
        lines.emplace_back();
    }
}

void KeyAccessor::WholeText(std::string_view key, std::vector<std::string>& lines) {
    if (writing_) {
        WriteText(key, JoinLines(lines));
    } else {
        lines = SplitLines(ReadText(key));
    }
}

}  // namespace velmora::world
