// The text of a project's file as editors save it: code page 1251, or UTF-8
// with or without a byte-order mark, turned into the program's 1251 at the
// load, so the game and the checker read every file alike.
//
// A file is UTF-8 when it starts with the mark, or when all its bytes are
// UTF-8 and hold a character beyond ASCII that 1251 has. A file that is
// UTF-8 throughout but holds a character 1251 lacks is an error naming the
// line, unless none of its characters is Cyrillic and every byte beyond
// ASCII reads as Russian in 1251 (the bytes «Ыё» are also a UTF-8
// character): then it is 1251. Any other file is 1251 and passes as it is;
// that includes a 1251 file with a line pasted in UTF-8, which the checker
// names by its line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::base {

struct ProjectText {
    std::string text;  // 1251
    bool wasUtf8 = false;
};

// Throws base::FileError naming `fileName` and the 1-based line of a
// character 1251 cannot hold, or of bytes that are not UTF-8 after the mark.
ProjectText DecodeProjectText(std::string_view bytes, const std::string& fileName);

// The first line (1-based) and character of a 1251 text that UTF-8 cannot
// carry back (the byte 0x98, which stands for no character); none when all can.
std::optional<size_t> LineOfUnconvertible1251(std::string_view text1251);

// A text file of a project (menu.txt and the like) read through the file
// gate and decoded; nothing when it is missing. Throws base::FileError.
std::optional<std::string> ReadProjectText(const std::filesystem::path& root,
                                           std::string_view relative);

}  // namespace velmora::base
