// SPDX-License-Identifier: GPL-3.0-or-later
// alsa-lib prints its own English lines on stderr when a machine has no sound
// card; in the terminal a screen reader reads them all before the game's one
// line that says the same in words of its own.
#pragma once

namespace velmora::sound {

// Silences alsa-lib's error printing for the whole process (SDL loads the
// same library, so its audio start is silenced too).
void QuietAlsaMessages();

}  // namespace velmora::sound
