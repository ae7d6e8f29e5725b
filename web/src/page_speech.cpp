// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_speech.h"

#include "base/utf8.h"
#include "page_bridge.h"

namespace velmora::web {

base::Utf8 LiveRegionText(std::string_view text1251) {
    std::string text;
    text.reserve(text1251.size());
    for (size_t i = 0; i < text1251.size(); ++i) {
        const auto b = static_cast<unsigned char>(text1251[i]);
        if (b == '\r') {
            text += '\n';
            if (i + 1 < text1251.size() && text1251[i + 1] == '\n') ++i;
        } else if (b == '\n') {
            text += '\n';
        } else {
            text += b < 0x20 || b == 0x7f ? ' ' : static_cast<char>(b);
        }
    }
    const size_t first = text.find_first_not_of(" \n");
    if (first == std::string::npos) return base::Utf8();
    text.erase(text.find_last_not_of(" \n") + 1);
    text.erase(0, first);
    return base::ToUtf8(text);
}

void LiveRegionSpeech::Speak(const std::string& text) {
    PageSay(LiveRegionText(text), false);
    if (endAtOnce_) endAtOnce_();
}

void LiveRegionSpeech::SpeakAgain(const std::string& text) {
    PageSay(LiveRegionText(text), true);
    if (endAtOnce_) endAtOnce_();
}

// The page's voice lower-cases the text itself, as the desktop's voice does.
void PageVoiceSpeech::Speak(const std::string& text) { PageVoiceSpeak(LiveRegionText(text)); }

void PageVoiceSpeech::SetRate(int setting) { PageVoiceRate(setting); }

bool PageVoiceSpeech::Speaking() const { return PageVoiceSpeaking(); }

void PageVoiceSpeech::AudioReset() { PageVoiceCancel(); }

}  // namespace velmora::web
