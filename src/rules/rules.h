// The rules of the game: messages, the script language, movement, object
// actions, rest, page sequences and the waits. One instance for the program,
// on the core's thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/project_file.h"
#include "rules/outside.h"
#include "sound/sound_system.h"
#include "speech/speech_router.h"
#include "world/game_project.h"

namespace velmora::rules {

// Scripts may call scripts; deeper than this, a run does nothing and fails.
inline constexpr int kMaxScriptDepth = 64;
// Statements one action may run in all: scripts that call each other more
// than once each would otherwise run for ever within the depth limit. A real
// script runs a handful; each statement may walk, die or page, so the limit
// keeps a runaway action to a fraction of a second.
inline constexpr int64_t kMaxStatementsPerAction = 2000;
// Map changes one action may make: each saves the working state to disk, so
// scripts that change maps and call each other would otherwise write for minutes.
inline constexpr int kMaxMapChangesPerAction = 8;
// Neither the load nor health after a rest goes above this.
inline constexpr int32_t kLimit = 100;

// The flags that the waits share with the shell's key and timer handling.
struct WaitFlags {
    bool keyHeld = false;
    bool waiting = false;
    bool abort = false;
    int32_t TickCountdown = 0;
    bool ended = false;  // no more events will come
    // A script's pause with a reader that reports no end: a key pressed in
    // it ends the pause and is then played as the player's next key (the
    // shell carries it over), rather than spent.
    bool keysCarryOn = false;
};

struct Exit {
    std::string label;
    int32_t target = 0;
};

// Bits of the exits that carry their direction's own name.
inline constexpr int kNorthBit = 1;
inline constexpr int kSouthBit = 2;
inline constexpr int kWestBit = 4;
inline constexpr int kEastBit = 8;

class BlockTable;

class Rules {
public:
    Rules(world::GameProject& gp, speech::SpeechRouter& speech, sound::SoundSystem& sound,
          RulesView& view, EventPump& events);
    ~Rules();
    Rules(const Rules&) = delete;
    Rules& operator=(const Rules&) = delete;

    // Messages and script entry.
    void SayMessage(std::string_view text, bool keepLast = false);
    std::string NextMessage(world::MessageList& list);
    std::string NextMessageThenRandom(world::MessageList& list);
    static std::string MessageAt(const world::MessageList& list, int64_t index);
    bool RunScript(std::string_view text);
    bool CheckForced();
    bool CheckWaited(int32_t number);

    // The script language.
    static std::vector<std::string> SplitWords(std::string_view line);
    // A branch is run in place, never copied: a deeply nested script costs
    // no more memory than a flat one.
    bool RunBlock(world::MScript& owner, std::span<const std::string> lines);
    bool TestCondition(std::string_view condition);
    bool RunStatement(world::MScript& owner, std::string_view line);

    // Movement and screen entry.
    int ListExits(std::vector<Exit>& exits);
    bool GoToScreen(int32_t target);
    // A walk chosen in the go menu: glob_goingto and OnGo around GoToScreen.
    bool WalkTo(int32_t target);
    void ShowScreenPicture(int32_t n, int32_t frame);
    // The frame an arrival at the screen shows: the one its OnEnter sets as
    // its first statement, else its own.
    static int32_t ArrivalFrame(const world::MScreen& screen);
    void DieWithLine(int64_t deathIndex, int32_t picture);
    void DieWithText(const std::string& message, int32_t picture);
    void GameOver();
    // What the game over says: the project's death.txt, else the program's own line.
    std::string GameOverLine();
    void EnterMap();
    // "Экран: " + the title + the description, as arriving says it.
    std::string ArrivalText(const world::MScreen& screen, const std::string& description) const;
    std::string CurrentDescription(const world::MScreen& screen) const;
    // A music file of the project (found in any letter case) at a volume.
    void PlayProjectMusic(std::string_view name, int volume);
    std::filesystem::path ProjectMusicFile(std::string_view name) const;
    // The music of the map the hero is on: its own map<k>.mid when the
    // project has one, else map1.mid.
    std::filesystem::path MapMusicFile() const;
    void PlayMapMusic();
    // The statement `map`: the file steps, then the map is announced. False
    // when the map could not be changed (the player heard why) or the action
    // has changed maps too often; the game stays in the map it was in.
    bool ChangeMap(int32_t mapIndex);

    // Object actions and rest.
    void ExamineObject(world::MObj& object);
    bool TakeObject(int32_t index, bool quiet);
    void DropObject(int32_t index, bool quiet);
    bool SingleCommandFor(const world::MObj& object, int32_t screenNo) const;
    bool UseObjects(world::MObj& first, int32_t secondNo, int32_t screenNo);
    bool TryCommand(world::MScript& command);
    void Rest();
    void SayHeroState();
    void ShowHeroStatus();

    // Pages and waits.
    void PlayPages(int64_t index);
    // Waits for a key; once the text before it has been heard, says that it
    // waits, unless that text asked for a key itself.
    void WaitKey();
    // True when a key ended the wait before its time.
    bool WaitTicks(int32_t ticks);
    // True when a key ended the wait before the voice did. keysCarryOn: a
    // script's pause (the statement `wait`), see WaitFlags.
    bool WaitPage(bool keysCarryOn = false);
    // The shell passes every key and tick here first. OnKeyUp is true when the
    // release ended a wait and is to be swallowed.
    void OnKeyDown(int key);
    bool OnKeyUp(int key);
    // `ticks` 100 ms ticks have passed (a virtual clock may give many at once).
    void OnTick(int32_t ticks = 1);
    // True from the start to the end of a wait (key, ticks, page): a key then
    // only ends the wait; it never reaches the game's menus.
    bool InWait() const { return waitDepth_ > 0; }
    // The ticks a running timed wait still counts down, or 0.
    int32_t TimedWaitTicksLeft() const;
    // A key starts what the player does next: messages are spoken again
    // after an error answered the last action, and a line a script said in
    // the last action (a screen's OnEnter says one with no standard message
    // after it) replaces no message of this one.
    void ActionStarts() {
        errorAnswered_ = false;
        suppressNext = false;
    }
    // Loading a game or starting a new one replaced the records.
    void WorldReplaced() { ++worldGeneration; }

    world::GameProject& gp;
    bool suppressNext = false;
    bool soundPlayed = false;
    WaitFlags waits;
    // Counts loads that replaced the records of the map; a rule that ran a
    // script checks it before it touches a record again.
    uint64_t worldGeneration = 0;
    // Statements and map changes one action may run (the limits above; a
    // fuzzer lowers them to try more inputs a second).
    int64_t statementBudget = kMaxStatementsPerAction;
    int mapChangeBudget = kMaxMapChangesPerAction;
    // Where a note for the project's author goes (an action stopped at a
    // limit): standard error unless replaced.
    std::function<void(const std::string&)> AuthorNote;
    std::mt19937 random{std::random_device{}()};

    std::filesystem::path ProjectFolder() const;
    // A file of the project (or, for the program's own pictures, of the
    // program folder) as the gate lets it through. A refused file is
    // reported to the player (once each); a missing one is skipped quietly.
    std::optional<std::filesystem::path> CheckedFile(const std::filesystem::path& root,
                                                     std::string_view relative, base::FileKind kind);
    void ReportRefused(const base::FileError& error);

private:
    bool RunBranch(world::MScript& owner, std::span<const std::string> lines,
                   const BlockTable& blocks, size_t start);
    // The handlers of the statements and the conditions.
    friend struct ScriptLanguage;
    friend struct ScriptConditions;

    world::MScreen* Screen() const { return gp.hero.currentScreen; }
    world::MObj* ObjectByTitle(std::string_view title) const;
    bool RunEventScript(const std::string& script);
    bool Opening(bool dropOrder);
    void Wait(bool (*more)(const Rules&));
    void SpeakAndShow(const std::string& text);
    // Stops the running action for good, telling the author once why.
    void StopAction(const std::string& why);

    speech::SpeechRouter& speech_;
    sound::SoundSystem& sound_;
    RulesView& view_;
    EventPump& events_;
    int depth_ = 0;
    int64_t statementsLeft_ = 0;
    int mapChangesLeft_ = 0;
    bool actionStopped_ = false;
    bool errorAnswered_ = false;  // the running action's answer was an error
    int waitDepth_ = 0;
    bool timedWait_ = false;
    std::set<std::string> refusedReported_;
};

}  // namespace velmora::rules
