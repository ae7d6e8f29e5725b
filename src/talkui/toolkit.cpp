#include "talkui/toolkit.h"

#include <algorithm>

#include "base/cp1251.h"
#include "talkui/context_blocks.h"
#include "talkui/prop_bag.h"
#include "talkui/sp_line.h"

namespace velmora::talkui {

Toolkit::Toolkit() {
    for (int i = 0; i < 256; ++i) CharNames[static_cast<size_t>(i)] = std::string(1, static_cast<char>(i));
}

// Lines keep a reference to their toolkit: they must be gone before it is.
Toolkit::~Toolkit() = default;

void Toolkit::Speak(const std::string& text) const {
    if (SpeakHook) SpeakHook(text);
}

void Toolkit::Signal(int cue) const {
    if (SignalHook) SignalHook(cue);
}

void Toolkit::Beep() const {
    if (BeepHook) BeepHook();
}

void Toolkit::Tone(int hz, int ms) const {
    if (ToneHook) ToneHook(hz, ms);
}

void Toolkit::Wait(int ms) const { ui::CallHook(WaitHook, ms); }

const std::string& Toolkit::CharName(char c) const {
    return CharNames[static_cast<unsigned char>(base::ToolkitLower1251(c))];
}

ContextBlocks& Toolkit::Contexts() {
    if (!contexts_) contexts_ = std::make_unique<ContextBlocks>();
    return *contexts_;
}

void Toolkit::Register(TSpLine* line) { lines_.push_back(line); }

void Toolkit::Unregister(TSpLine* line) {
    lines_.erase(std::remove(lines_.begin(), lines_.end(), line), lines_.end());
    if (ActiveLine == line) ActiveLine = nullptr;
    for (TSpLine* other : lines_) {
        if (other->Parent == line) other->Parent = nullptr;
    }
}

}  // namespace velmora::talkui
