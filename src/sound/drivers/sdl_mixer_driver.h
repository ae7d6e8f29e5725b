// The library driver: SDL_mixer plays samples (WAV, MP3) and songs (MIDI
// through FluidSynth and a General MIDI sound font). This header names no SDL
// type, so nothing outside the driver gets SDL's headers.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "sound/sound_driver.h"

namespace velmora::sound {

// The first General MIDI sound font installed of those Debian ships; empty
// when there is none.
std::filesystem::path FindSoundFont();

// The mixer's music volume (0 to 128) for the line's channel values.
int MixerMusicVolume(ChannelVolume volume);

// Opens audio; null, with the reason in *why, when it cannot. Only one can be
// open at a time (SDL_mixer's device and callbacks are global).
std::unique_ptr<SoundDriver> OpenSdlMixerDriver(PostSoundEvent post, std::string* why = nullptr);

// Whether the open SDL_mixer driver can play MIDI: a tiny song is loaded to
// find out, since the library's own report says yes even without a font.
bool SdlMixerPlaysMidi(SoundDriver& driver, std::string* why = nullptr);

}  // namespace velmora::sound
