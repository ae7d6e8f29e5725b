// SPDX-License-Identifier: GPL-3.0-or-later
// The page's side of the game: every call the adapter makes into the page's
// JavaScript (Module.velmoraPage), and the one wait that yields to the
// browser. Texts are UTF-8. A page without a hook makes the call a no-op.
#pragma once

#include <cstdint>
#include <string>

#include "base/utf8.h"

namespace velmora::web {

// Speech: the live region, or the page's own voice (the Web Speech API),
// as the player chose in the page.
void PageSay(const base::Utf8& text, bool again);
bool PageWantsVoice();
void PageVoiceSpeak(const base::Utf8& text);
void PageVoiceCancel();
bool PageVoiceSpeaking();
void PageVoiceRate(int setting);

// The checker's findings on a player's own project, UTF-8 lines, shown and
// handed to the live region before the game starts.
void PageReport(const base::Utf8& lines);

// A setting of the page (its address's ?name=value); empty when not given.
std::string PageOption(const char* name);

// The screen.
void PageRender(const std::string& formJson);
// What the player can act on now (MirrorSnapshot), for the page's menu.
void PageMirror(const std::string& mirrorJson);
void PageView(const char* view);
int PageWidth();
int PageHeight();

// Sound. Ids are the page's, 0 for none; decoding is the page's to finish
// in the background (a sample asked to play before it is decoded plays then).
// Music is asked for by its file; a sample comes as its bytes, with the file
// it was read from as a key the page may keep it under (empty: made here).
int PageLoadMusic(const std::string& path);
int PageMakeSound(const std::string& waveBytes, const std::string& key);
bool PagePlaySound(int id);
bool PageStopSound(int id);
void PageFreeSound(int id);
void PageMusicVolume(double left, double right);  // each channel 0 to 1

// Gives the browser its turn until a key arrives or `ms` pass; the page
// may keep the player's files meanwhile (no file is half written then).
void PageWait(int ms);

}  // namespace velmora::web
