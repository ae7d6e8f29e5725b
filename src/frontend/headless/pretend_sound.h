// SPDX-License-Identifier: GPL-3.0-or-later
// The headless game's sound: no audio, but music and sound files behave as
// if they played, so that the transcript follows the game's music state
// (Ctrl+M, stopping at death). A missing music file does not play, as with a
// real device: Ctrl+M after it starts the music again instead of stopping
// nothing. The web page uses it too, for key scripts (?sound=headless).
#pragma once

#include <filesystem>
#include <system_error>

#include "sound/sound_driver.h"

namespace velmora::frontend {

class PretendSoundDriver : public sound::NoneDriver {
public:
    const char* Name() const override { return "headless"; }
    bool PlayFileToEnd(const std::filesystem::path&) override { return true; }
    bool OpenMusic(const std::filesystem::path& file) override {
        std::error_code ec;
        return std::filesystem::is_regular_file(file, ec);
    }
};

}  // namespace velmora::frontend
