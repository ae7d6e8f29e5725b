// The shared display settings of the lines: font size, list style and the
// colours of Settings/colors.ini.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_error.h"
#include "talkui/string_list.h"
#include "ui/geometry.h"

namespace velmora::talkui {

// Six hexadecimal digits, red, green, blue ("ff0000" is red). A pair that is
// not hexadecimal counts as 0; missing characters make a shorter pair.
ui::Colour ParseColour(std::string_view text);

class TSpLinePropBag {
public:
    int32_t FontSize = 18;
    uint8_t ListStyle = 3;  // 0, 1 plain; 2 owner drawn; 3 and up: taller cursor row
    // The defaults are those of a colors.ini without the key, also when the
    // file is missing.
    ui::Colour Dir = ParseColour("80ff00");
    ui::Colour File = ParseColour("00ff00");
    ui::Colour Mark = ParseColour("ff0000");
    ui::Colour Cursor = ParseColour("ffff00");
    ui::Colour Back = ParseColour("000000");
    ui::Colour CursorFont = ParseColour("000000");
    // "." + extension, each with its colour as the object; sorted.
    StringList Types{true};
    // Set when colors.ini exists but could not be read; the defaults stand.
    std::optional<base::FileError> LoadProblem;

    // A record with FontSize 18 and ListStyle 3, read from
    // Settings/colors.ini in the program folder (any letter case) if it is there.
    static std::shared_ptr<TSpLinePropBag> Create(const std::filesystem::path& programFolder);
    void Load(const std::filesystem::path& colorsIni);

    // The colour of a file extension (with its dot), letter case ignored.
    std::optional<ui::Colour> TypeColour(std::string_view extension) const;
};

}  // namespace velmora::talkui
