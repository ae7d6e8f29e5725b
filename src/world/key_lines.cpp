#include "world/key_lines.h"

#include <limits>

#include "base/cp1251.h"

namespace velmora::world {
namespace {

// FNV-1a over the lower-cased bytes, so names equal without regard to case hash alike.
size_t HashNoCase(std::string_view name) {
    uint64_t h = 1469598103934665603ull;
    for (char c : name) {
        h ^= static_cast<unsigned char>(base::ToLower1251(c));
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h ^ (h >> 29));
}

}  // namespace

bool IsPlainKeyLines(std::string_view bytes) {
    const std::string_view head = bytes.substr(0, 3);
    return head == "Gam" || head == "Map" || head == "Her";
}

std::string Scramble(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleByte);
    return out;
}

std::string PlainKeyLines(std::string_view bytes) {
    std::string text = IsPlainKeyLines(bytes) ? std::string(bytes) : Scramble(bytes);
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

std::string EscapeValue(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (b == 13) {
            out += "\\n";
        } else if (b >= 32) {
            out += c;
        }
    }
    return out;
}

std::string UnescapeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (i + 1 < value.size()) {
            if (value[i + 1] == 'n') out += "\r\n";
            if (value[i + 1] == '\\') out += '\\';
        }
        ++i;
    }
    return out;
}

int32_t ParseInt32(std::string_view text, int32_t fallback) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return fallback;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return fallback;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return fallback;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return fallback;
    return static_cast<int32_t>(value);
}

TMyIniList TMyIniList::FromText(std::string_view plainText) {
    TMyIniList list;
    list.text_.assign(plainText);
    size_t start = 0;
    const size_t n = list.text_.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = list.text_[i];
        if (c != '\r' && c != '\n') continue;
        list.AddLine(start, i - start);
        if (c == '\r' && i + 1 < n && list.text_[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) list.AddLine(start, n - start);
    return list;
}

std::string_view TMyIniList::Line(size_t i) const {
    const LineRef& ref = lines_.at(i);
    return std::string_view(text_).substr(ref.offset, ref.length);
}

std::string_view TMyIniList::NameOf(const LineRef& ref) const {
    return std::string_view(text_).substr(ref.offset, ref.nameEnd);
}

void TMyIniList::AddLine(size_t offset, size_t length) {
    const size_t eq = std::string_view(text_).substr(offset, length).find('=');
    lines_.push_back({offset, length, eq == std::string_view::npos ? kNoName : eq});
    if (eq != std::string_view::npos) IndexLine(lines_.size() - 1);
}

void TMyIniList::Grow() {
    std::vector<size_t> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, kEmptySlot);
    const size_t mask = slots_.size() - 1;
    for (size_t line : old) {
        if (line == kEmptySlot) continue;
        size_t s = HashNoCase(NameOf(lines_[line])) & mask;
        while (slots_[s] != kEmptySlot) s = (s + 1) & mask;
        slots_[s] = line;
    }
}

void TMyIniList::IndexLine(size_t line) {
    if ((indexed_ + 1) * 2 > slots_.size()) Grow();
    const std::string_view name = NameOf(lines_[line]);
    const size_t mask = slots_.size() - 1;
    size_t s = HashNoCase(name) & mask;
    while (slots_[s] != kEmptySlot) {
        // A later line with a name already indexed is never the one a lookup finds.
        if (base::EqualsNoCase1251(NameOf(lines_[slots_[s]]), name)) return;
        s = (s + 1) & mask;
    }
    slots_[s] = line;
    ++indexed_;
}

size_t TMyIniList::Lookup(std::string_view name) const {
    if (slots_.empty()) return kNoName;
    const size_t mask = slots_.size() - 1;
    for (size_t s = HashNoCase(name) & mask; slots_[s] != kEmptySlot; s = (s + 1) & mask) {
        if (base::EqualsNoCase1251(NameOf(lines_[slots_[s]]), name)) return slots_[s];
    }
    return kNoName;
}

bool TMyIniList::Find(std::string_view name, std::string_view& value) const {
    const size_t line = Lookup(name);
    if (line == kNoName) return false;
    const LineRef& ref = lines_[line];
    value = std::string_view(text_).substr(ref.offset + ref.nameEnd + 1,
                                           ref.length - ref.nameEnd - 1);
    return true;
}

void TMyIniList::Set(std::string_view name, std::string_view value) {
    const size_t line = Lookup(name);
    const size_t offset = text_.size();
    text_.append(name).append("=").append(value);
    if (line == kNoName) {
        AddLine(offset, text_.size() - offset);
    } else {
        // The line keeps its place and its name's spelling is the new one.
        lines_[line] = {offset, text_.size() - offset, name.size()};
    }
}

std::string TMyIniList::ToText() const {
    std::string out;
    size_t size = 0;
    for (const LineRef& ref : lines_) size += ref.length + 2;
    out.reserve(size);
    for (const LineRef& ref : lines_) {
        out.append(text_, ref.offset, ref.length);
        out += "\r\n";
    }
    return out;
}

}  // namespace velmora::world
