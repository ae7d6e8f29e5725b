// Short sounds made in memory: one for each cue number the program uses and
// a plain beep. Soft attack and decay, so that none of them clicks.
#pragma once

#include <climits>
#include <string>

#include "sound/sound_driver.h"

namespace velmora::sound {

// Not a cue number; stands for the beep where sounds are kept by number.
inline constexpr int kBeepKey = INT_MIN;

// Layout switched (0, 1, 2), line closed (3), acknowledgement or refusal
// (13), one search match (14), nothing found (31), Caps Lock on and off
// (35, 36), a capital letter (37).
bool HasCueSound(int number);
// The cue's sound; the beep for any number without one.
PcmSound MakeCueSound(int number);
PcmSound MakeBeepSound();

// The bytes of a wave file holding the sound.
std::string WaveFileBytes(const PcmSound& sound);

}  // namespace velmora::sound
