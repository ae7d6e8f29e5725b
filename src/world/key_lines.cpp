#include "world/key_lines.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/cp1251.h"
#include "base/project_text.h"

namespace velmora::world {
namespace {

// FNV-1a over the lower-cased bytes, so names equal without regard to case hash alike.
constexpr uint32_t kHashBasis = 2166136261u;
inline uint32_t HashStep(uint32_t h, char c) {
    return (h ^ static_cast<unsigned char>(base::ToLower1251(c))) * 16777619u;
}
inline uint32_t HashEnd(uint32_t h) { return h ^ (h >> 15); }

uint32_t HashNoCase(std::string_view name) {
    uint32_t h = kHashBasis;
    for (char c : name) h = HashStep(h, c);
    return HashEnd(h);
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

std::string PlainKeyLines(std::string text) {
    if (!IsPlainKeyLines(text)) {
        for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleByte);
    }
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

bool StartsWithUtf8Mark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF");
}

ProjectKeyLines DecodeProjectKeyLines(std::string bytes, const std::string& fileName) {
    ProjectKeyLines file;
    if (!StartsWithUtf8Mark(bytes)) {
        file.scrambled = !IsPlainKeyLines(bytes);
        bytes = PlainKeyLines(std::move(bytes));
    } else if (const size_t zero = bytes.find('\0'); zero != std::string::npos) {
        bytes.resize(zero);
    }
    base::ProjectText decoded = base::DecodeProjectText(bytes, fileName);
    file.text = std::move(decoded.text);
    file.wasUtf8 = decoded.wasUtf8;
    return file;
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
    if (value.find('\\') == std::string_view::npos) return std::string(value);
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

std::optional<int32_t> TryParseInt32(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t ParseInt32(std::string_view text, int32_t fallback) {
    return TryParseInt32(text).value_or(fallback);
}

TMyIniList TMyIniList::FromText(std::string plainText) {
    TMyIniList list;
    list.text_ = std::move(plainText);
    const char* text = list.text_.data();
    const size_t n = list.text_.size();
    // One pass: each line's name is hashed on the way to its '='.
    size_t i = 0;
    while (i < n) {
        const size_t start = i;
        uint32_t h = kHashBasis;
        size_t eq = kNoName;
        for (; i < n; ++i) {
            const char c = text[i];
            if (c == '=') {
                eq = i - start;
                break;
            }
            if (c == '\r' || c == '\n') break;
            h = HashStep(h, c);
        }
        if (eq != kNoName) {
            while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
        }
        list.lines_.push_back({start, i - start, eq, eq != kNoName ? HashEnd(h) : 0, eq != kNoName});
        if (i < n) i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
    }
    list.SortNames();
    return list;
}

void TMyIniList::SortNames() {
    sorted_.clear();
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].nameEnd != kNoName) sorted_.push_back((uint64_t{lines_[i].hash} << 32) | i);
    }
    // Radix sort on the hash, 11 bits a pass; stable, so lines stay in order.
    std::vector<uint64_t> scratch(sorted_.size());
    std::vector<uint32_t> count(2049);
    for (int shift = 32; shift < 64; shift += 11) {
        std::fill(count.begin(), count.end(), 0);
        for (uint64_t v : sorted_) ++count[((v >> shift) & 0x7FF) + 1];
        for (size_t b = 0; b < 2048; ++b) count[b + 1] += count[b];
        for (uint64_t v : sorted_) scratch[count[(v >> shift) & 0x7FF]++] = v;
        sorted_.swap(scratch);
    }
    // Every named line is first, but where a run of one hash holds an earlier
    // line of the same name.
    for (size_t i = 0; i < sorted_.size();) {
        size_t j = i + 1;
        while (j < sorted_.size() && (sorted_[j] >> 32) == (sorted_[i] >> 32)) ++j;
        for (size_t k = i + 1; k < j; ++k) {
            LineRef& ref = lines_[sorted_[k] & 0xFFFFFFFFu];
            for (size_t e = i; e < k && ref.first; ++e) {
                if (base::EqualsNoCase1251(NameOf(lines_[sorted_[e] & 0xFFFFFFFFu]), NameOf(ref))) {
                    ref.first = false;
                }
            }
        }
        i = j;
    }
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
    LineRef ref{offset, length, eq == std::string_view::npos ? kNoName : eq, 0, false};
    if (eq != std::string_view::npos) {
        ref.hash = HashNoCase(NameOf(ref));
        ref.first = true;  // until SortNames or Index finds an earlier line of the name
    }
    lines_.push_back(ref);
}

void TMyIniList::Grow() {
    std::vector<uint64_t> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, 0);
    const size_t mask = slots_.size() - 1;
    for (uint64_t slot : old) {
        if (slot == 0) continue;
        size_t s = (slot >> 32) & mask;
        while (slots_[s] != 0) s = (s + 1) & mask;
        slots_[s] = slot;
    }
}

void TMyIniList::Index(size_t line) {
    if ((indexed_ + 1) * 2 > slots_.size()) Grow();
    LineRef& ref = lines_[line];
    const std::string_view name = NameOf(ref);
    const size_t mask = slots_.size() - 1;
    size_t s = ref.hash & mask;
    for (; slots_[s] != 0; s = (s + 1) & mask) {
        // A later line with a name already indexed is never the one a lookup finds.
        if ((slots_[s] >> 32) == ref.hash &&
            base::EqualsNoCase1251(NameOf(lines_[(slots_[s] & 0xFFFFFFFFu) - 1]), name)) {
            ref.first = false;
            return;
        }
    }
    slots_[s] = (uint64_t{ref.hash} << 32) | (line + 1);
    ref.first = true;
    ++indexed_;
}

size_t TMyIniList::LookupHinted(std::string_view name) const {
    if (hint_ < lines_.size()) {
        const LineRef& ref = lines_[hint_];
        if (ref.first && ref.nameEnd == name.size() && base::EqualsNoCase1251(NameOf(ref), name)) {
            return hint_++;
        }
    }
    return Lookup(name, HashNoCase(name));
}

size_t TMyIniList::Lookup(std::string_view name, uint32_t hash) const {
    const uint64_t key = uint64_t{hash} << 32;
    for (auto it = std::lower_bound(sorted_.begin(), sorted_.end(), key);
         it != sorted_.end() && (*it >> 32) == hash; ++it) {
        const size_t line = *it & 0xFFFFFFFFu;
        if (base::EqualsNoCase1251(NameOf(lines_[line]), name)) {
            hint_ = line + 1;
            return line;
        }
    }
    if (slots_.empty()) return kNotFound;
    const size_t mask = slots_.size() - 1;
    for (size_t s = hash & mask; slots_[s] != 0; s = (s + 1) & mask) {
        if ((slots_[s] >> 32) != hash) continue;
        const size_t line = (slots_[s] & 0xFFFFFFFFu) - 1;
        if (base::EqualsNoCase1251(NameOf(lines_[line]), name)) {
            hint_ = line + 1;
            return line;
        }
    }
    return kNotFound;
}

bool TMyIniList::Find(std::string_view name, std::string_view& value) const {
    const size_t line = LookupHinted(name);
    if (line == kNotFound) return false;
    const LineRef& ref = lines_[line];
    value = std::string_view(text_).substr(ref.offset + ref.nameEnd + 1,
                                           ref.length - ref.nameEnd - 1);
    return true;
}

void TMyIniList::Set(std::string_view name, std::string_view value) {
    const size_t line = LookupHinted(name);
    const size_t offset = text_.size();
    text_.append(name).append("=").append(value);
    if (line == kNotFound) {
        AddLine(offset, text_.size() - offset);
        Index(lines_.size() - 1);
    } else {
        // The line keeps its place and its name's spelling is the new one.
        LineRef& ref = lines_[line];
        ref.offset = offset;
        ref.length = text_.size() - offset;
        ref.nameEnd = name.size();
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
