// The state that all talking lines share: the hooks through which they speak,
// sound cues and reach the shell, the active line, the key lock, bookmarks.
// The shell keeps one Toolkit for the life of the program; tests make their own.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/cues.h"
#include "base/plural.h"
#include "ui/edit.h"
#include "ui/list_box.h"
#include "ui/text_measure.h"

namespace velmora::talkui {

class TSpLine;
class TSpLinePropBag;
class ContextBlocks;
struct TMenuBlock;
struct TMenuEntry;

// Sound cues the toolkit gives.
using base::kCueBoundary;
using base::kCueCapital;
using base::kCueCapsOff;
using base::kCueCapsOn;
using base::kCueLineClosed;
using base::kCueNoMatch;
using base::kCueOneMatch;

// Called with a line's final text when it closes.
using CompletionFn = std::function<void(const std::string& text)>;

// Folder bookmarks hold paths of up to this many characters.
constexpr size_t kMaxBookmarkPath = 259;

class Toolkit {
public:
    Toolkit();
    ~Toolkit();
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;

    // Installed by the shell (in tests: recorders). A hook left empty does nothing.
    std::function<void(const std::string& text)> SpeakHook;
    std::function<void(int cue)> SignalHook;
    std::function<void()> BeepHook;                // the system beep
    std::function<void(int hz, int ms)> ToneHook;  // a plain tone
    // Handles pending events for about ms milliseconds (the click wait).
    std::function<void(int ms)> WaitHook;
    // Opens the value editor of a kind ('f' the file navigator) as a child of ActiveLine.
    std::function<void(char kind, const std::string& title, const std::string& text,
                       CompletionFn completion)>
        EditorHook;
    // A menu command: its code, and whether it is meant for the active line.
    // True when the shell performed it; otherwise a line command goes to the
    // line the menu was opened from.
    std::function<bool(int code, bool forLine)> CommandHook;

    // Spoken name of each character (by byte); each one itself at start.
    std::array<std::string, 256> CharNames;
    TSpLine* ActiveLine = nullptr;
    bool KeyLock = false;
    // The noun of the counts that entering a block announces, in the three
    // forms that agree with a number ("1 предмет", "3 предмета", "5 предметов").
    base::Plural UnitNoun;
    TMenuEntry* ChosenEntry = nullptr;
    // Ten folder bookmarks for the digit keys and an eleventh that no key sets.
    std::array<std::string, 11> FolderBookmarks;

    // The shell's shared controls and settings, for lines given these slots.
    std::shared_ptr<ui::Edit> Edit;
    std::shared_ptr<ui::ListBox> List;
    std::shared_ptr<TSpLinePropBag> Settings;

    // Where Settings/colors.ini is looked for.
    std::filesystem::path ProgramFolder;
    const ui::TextMeasure* Measure = &ui::DefaultTextMeasure();

    void Speak(const std::string& text) const;
    void Signal(int cue) const;
    void Beep() const;
    void Tone(int hz, int ms) const;
    void Wait(int ms) const;
    // The spoken name of a character: the name of its lower case.
    const std::string& CharName(char c) const;

    ContextBlocks& Contexts();

    // Lines register themselves, so that a line going away leaves no line
    // pointing at it.
    void Register(TSpLine* line);
    void Unregister(TSpLine* line);

private:
    std::unique_ptr<ContextBlocks> contexts_;
    std::vector<TSpLine*> lines_;
};

}  // namespace velmora::talkui
