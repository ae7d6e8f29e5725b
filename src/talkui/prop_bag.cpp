#include "talkui/prop_bag.h"

#include <utility>
#include <vector>

#include "base/cp1251.h"
#include "base/project_file.h"
#include "base/ini_profile.h"
#include "base/paths.h"

namespace velmora::talkui {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// An empty or broken pair is 0.
uint32_t ParsePair(std::string_view pair) {
    if (pair.empty()) return 0;
    uint32_t value = 0;
    for (const char c : pair) {
        const int d = HexDigit(c);
        if (d < 0) return 0;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

std::string_view Trim(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\v\f";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The name=value lines of the first section of that name, as the profile
// routines read a whole section.
std::vector<std::pair<std::string, std::string>> SectionPairs(std::string_view bytes,
                                                              std::string_view section) {
    std::vector<std::pair<std::string, std::string>> pairs;
    bool inside = false, seen = false;
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = Trim(bytes.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.rfind(']') != std::string_view::npos) {
            if (inside) break;
            const std::string_view name = Trim(line.substr(1, line.rfind(']') - 1));
            inside = !seen && base::EqualsNoCase1251(name, section);
            seen = seen || inside;
            continue;
        }
        if (!inside) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view name = Trim(line.substr(0, eq));
        if (name.empty()) continue;
        pairs.emplace_back(std::string(name), std::string(Trim(line.substr(eq + 1))));
    }
    return pairs;
}

}  // namespace

ui::Colour ParseColour(std::string_view text) {
    auto pair = [&](size_t at) { return at < text.size() ? text.substr(at, 2) : std::string_view{}; };
    return ParsePair(pair(0)) | (ParsePair(pair(2)) << 8) | (ParsePair(pair(4)) << 16);
}

std::shared_ptr<TSpLinePropBag> TSpLinePropBag::Create(const std::filesystem::path& programFolder) {
    auto bag = std::make_shared<TSpLinePropBag>();
    if (!programFolder.empty()) {
        // Found as it is, pipe or device: the gate then says why it is not read.
        if (auto file = base::FindEntryPath(programFolder, "Settings\\colors.ini")) bag->Load(*file);
    }
    return bag;
}

void TSpLinePropBag::Load(const std::filesystem::path& colorsIni) {
    std::string bytes;
    try {
        bytes = base::ReadCheckedFile(colorsIni, base::FileKind::Settings);
    } catch (const base::FileError& error) {
        LoadProblem = error;
        return;
    }
    const base::IniProfile ini = base::IniProfile::Load(colorsIni);
    const std::pair<const char*, ui::Colour*> keys[] = {
        {"Dir", &Dir}, {"File", &File}, {"Mark", &Mark},
        {"Cursor", &Cursor}, {"Back", &Back}, {"CursorFont", &CursorFont},
    };
    const char* defaults[] = {"80ff00", "00ff00", "ff0000", "ffff00", "000000", "000000"};
    for (size_t i = 0; i < std::size(keys); ++i) {
        *keys[i].second = ParseColour(ini.GetString("Files", keys[i].first, defaults[i]));
    }
    Types.Clear();
    for (const auto& [name, value] : SectionPairs(bytes, "Types")) {
        Types.Add("." + name, static_cast<int32_t>(ParseColour(value)));
    }
}

std::optional<ui::Colour> TSpLinePropBag::TypeColour(std::string_view extension) const {
    const int i = Types.IndexOf(extension);
    if (i < 0) return std::nullopt;
    return static_cast<ui::Colour>(Types[i].Object);
}

}  // namespace velmora::talkui
