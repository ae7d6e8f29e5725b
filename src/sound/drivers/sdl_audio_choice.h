// SPDX-License-Identifier: GPL-3.0-or-later
// Which of SDL's audio drivers the voice and the music go through.
#pragma once

namespace velmora::sound {

// SDL picks its PulseAudio driver first even where PipeWire serves it (Debian
// 12's desktop), and PipeWire's pulse layer adds its own buffer: an arrow's
// answer took 25-37 ms to sound instead of 10-14 ms through SDL's PipeWire
// driver. So when the player named no driver (SDL_AUDIODRIVER) and a PipeWire
// server answers, SDL's audio is started on that one, and kept started for
// the life of this object, so that the voice and the music, opened later,
// use it without SDL choosing again (and without unloading PipeWire's
// library between them). Otherwise SDL chooses as ever.
class PreferPipeWire {
public:
    PreferPipeWire();
    ~PreferPipeWire();
    PreferPipeWire(const PreferPipeWire&) = delete;
    PreferPipeWire& operator=(const PreferPipeWire&) = delete;

    bool Chosen() const { return held_; }

private:
    bool held_ = false;
};

}  // namespace velmora::sound
