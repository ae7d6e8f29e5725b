// SPDX-License-Identifier: GPL-3.0-or-later
// The character set of the player's terminal, as the locale names it. A
// KOI8-R or CP866 console gets its own bytes, and the letters it types are
// read back; a terminal whose set has no Russian letters (LANG=C) keeps
// getting UTF-8, and the player is told once what the game needs.
//
//   TerminalEncoding enc(TerminalEncoding::LocaleCodeset());
//   if (!enc.Warning().empty()) std::cerr << enc.Warning();
//   write(fd, enc.Out(line)); decoder.Feed(enc.In(typed), now);
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace velmora::frontend {

class TerminalEncoding {
public:
    // The codeset of the locale in LC_ALL, LC_CTYPE or LANG ("UTF-8",
    // "KOI8-R", "ANSI_X3.4-1968"). A locale that is not installed is taken
    // at its word: "ru_RU.KOI8-R" gives "KOI8-R" all the same.
    static std::string LocaleCodeset();

    explicit TerminalEncoding(const std::string& codeset = "UTF-8");

    const std::string& Codeset() const { return codeset_; }
    // Whether lines and keys are converted (a one-byte set that holds Cyrillic).
    bool Converts() const { return static_cast<bool>(out_); }
    // For a set without Russian letters: what the player is told on standard
    // error, in Russian and English; empty for every other set.
    const std::string& Warning() const { return warning_; }

    // UTF-8 text in the terminal's set; what it lacks is transliterated
    // ("«" as "<<") or becomes '?'.
    std::string Out(std::string_view utf8) const;
    // Bytes the terminal sent, as UTF-8; bytes its set does not define are dropped.
    std::string In(std::string_view bytes) const;

private:
    struct Closer {
        void operator()(void* cd) const;
    };
    std::string codeset_;
    std::unique_ptr<void, Closer> out_;  // iconv from UTF-8, when converting
    std::array<std::string, 128> high_;  // UTF-8 of the bytes 0x80..0xFF
    std::string warning_;
};

}  // namespace velmora::frontend
