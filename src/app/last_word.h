// SPDX-License-Identifier: GPL-3.0-or-later
// A last word aloud for a game that cannot start where nobody reads its
// messages: launched from a desktop menu, a blind player sees no stderr.
#pragma once

#include <chrono>
#include <string>

#include "speech/drivers/open_speech.h"

namespace velmora::app {

// Speaks text (code page 1251) with the chosen speech output and waits until
// it has been said, or until limit has passed. Returns whether it ended in time.
bool SayBeforeLeaving(const std::string& text1251, speech::SpeechChoice choice,
                      const std::string& voiceName1251, std::chrono::milliseconds limit);

}  // namespace velmora::app
