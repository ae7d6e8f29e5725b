// While the rules wait, a key only ends the wait: nothing the player presses
// then can choose, walk, type or start a game inside the running action.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

constexpr ui::ShiftState kAlt{.Alt = true};
constexpr ui::ShiftState kCtrl{.Ctrl = true};
constexpr ui::ShiftState kCtrlShift{.Shift = true, .Ctrl = true};

// Every kind of key held down during a wait: arrows, a letter that would
// search, Escape that would go back, Enter that would choose, a digit that
// would quick-select, bookmark keys. The first release ends the wait.
void HoldEveryKind(QueuedEvents& e) {
    e.Down(ui::vk::Down);
    e.Down('K', Ru("к")[0]);
    e.Down(ui::vk::Escape, 27);
    e.Down(ui::vk::Return, '\r');
    e.Down('2', '2');
    e.Down('1', 0, kAlt);
    e.Down('1', 0, kCtrlShift);
}

TEST(ShellWaits, KeysDuringAWaitOnlyEndIt) {
    ShellFixture f("anykey");
    f.events.Digit(3);  // examine
    f.events.Digit(1);  // the stone: its script waits for a key
    HoldEveryKind(f.events);
    f.events.Up(ui::vk::Down);
    f.Play();
    EXPECT_EQ(f.heard, (std::vector<std::string>{"rate 60", "Ты у ворот.", "Осмотреть.",
                                                  "Осмотреть, 2 предмета", "камень.",
                                                  "Нажмите любую клавишу.", "Ничего интересного."}));
    EXPECT_EQ(f.form->Menu()->Depth, 1);
    EXPECT_TRUE(f.form->Menu()->Search.empty());
}

// The key that chose an action is still held when its wait begins. Digits
// pressed and released before it is let go would choose the stone again (an
// examine inside the examine), and with it any entry, "new game" included.
TEST(ShellWaits, KeysWhileTheChoosingKeyIsHeldDoNotChooseAgain) {
    ShellFixture f("anykey");
    f.events.Digit(3);
    f.events.Press(ui::vk::Down);
    f.Play();
    world::MObj* stone = f.form->Project().map.objects[0].get();
    const uint64_t generation = f.form->Rules().worldGeneration;
    f.heard.clear();
    f.events.Down(ui::vk::Return, '\r');  // examine the stone, and hold Enter
    f.events.Digit(1);
    f.events.Digit(1);
    f.events.Up(ui::vk::Return);
    f.events.Press(ui::vk::Space, ' ');  // ends the wait
    // The releases the wait took still let go of their keys: the next Enter
    // is heard at once (back on the verbs, it opens the examine list again).
    f.events.Down(ui::vk::Return, '\r');
    f.Play();
    EXPECT_EQ(f.Count("Ничего интересного."), 1) << f.Heard();
    EXPECT_EQ(f.Count("камень."), 0) << f.Heard();
    EXPECT_EQ(f.Count("2 предмета"), 1) << f.Heard();
    EXPECT_EQ(f.form->Project().map.objects[0].get(), stone);
    EXPECT_EQ(f.form->Rules().worldGeneration, generation);
}

// The release of the key that chose the action falls inside the action's
// wait: the key is let go all the same, so the first key after the wait is
// not lost (Enter on the verbs opens the examine list again).
TEST(ShellWaits, AReleaseTakenByAWaitStillLetsGoOfTheKey) {
    ShellFixture f("anykey");
    f.events.Digit(3);
    f.events.Press(ui::vk::Down);
    f.events.Down(ui::vk::Return, '\r');
    f.events.Up(ui::vk::Return);
    f.events.Press(ui::vk::Space, ' ');  // ends the wait
    f.events.Down(ui::vk::Return, '\r');
    f.Play();
    EXPECT_EQ(f.Count("Ничего интересного."), 1) << f.Heard();
    EXPECT_EQ(f.Count("2 предмета"), 1) << f.Heard();
}

// Death waits twice (its line, then the game-over page): keys there neither
// walk again nor choose; afterwards the main menu works.
TEST(ShellWaits, KeysDuringDeathsWaitsDoNotWalkAgain) {
    ShellFixture f("", 3);
    f.events.Digit(1);
    f.events.Digit(1);  // north: health 1
    f.events.Digit(1);
    f.events.Down('1', '1');
    f.events.Up('1');  // south: health -1, death
    for (int wait = 0; wait < 2; ++wait) {
        HoldEveryKind(f.events);
        f.events.Down('1', '1');
        f.events.Up('1');
    }
    f.Play();
    EXPECT_EQ(f.Count("Силы оставили тебя."), 1) << f.Heard();
    EXPECT_EQ(f.Count("Экран: Двор. Пустой двор.") + f.Count("Экран: Ворота"), 0);
    EXPECT_EQ(f.form->View(), vmPicture);
    EXPECT_EQ(f.form->Project().hero.CurScrNo, 0);
    // The main menu's first line starts a new game.
    f.events.Digit(1);
    f.Play();
    EXPECT_EQ(f.form->View(), vmGame);
    EXPECT_EQ(f.form->Project().hero.Health, 3);
}

// Speech rate and music volume still change during a wait (a player slowing
// down a narration need not sit it out); their release ends the wait.
TEST(ShellWaits, SettingsKeysActDuringAWait) {
    ShellFixture f("anykey");
    f.events.Digit(3);
    f.events.Digit(1);
    f.events.Down(107, '+', kCtrl);  // Ctrl+NumPlus
    f.events.Up(107, kCtrl);
    f.events.Digit(2);  // after the wait: rest
    f.Play();
    EXPECT_EQ(f.form->Speed(), 70) << f.Heard();
    EXPECT_EQ(f.Count("rate 70"), 1);
    EXPECT_EQ(f.Count("Ничего интересного."), 1);
    EXPECT_EQ(f.form->Project().hero.fRest, 1);
}

// A key that went down during a wait belongs to it, also when the wait ends
// by its time before the key comes up: released after, it chooses nothing
// (a digit typed during the death's pages opened the chooser after them).
TEST(ShellWaits, AKeyPressedDuringAWaitDoesNothingWhenReleasedAfterIt) {
    ShellFixture f("");
    f.Play();
    f.heard.clear();
    f.events.Down('3', '3');  // examine, pressed during the pause
    f.events.Ticks(5);
    f.form->Rules().WaitTicks(5);
    EXPECT_FALSE(f.form->Rules().InWait());
    f.events.Up('3');
    f.Play();
    EXPECT_EQ(f.Count("Осмотреть, 2 предмета"), 0) << f.Heard();
    f.events.Digit(3);  // pressed again after the wait: it acts
    f.Play();
    EXPECT_EQ(f.Count("Осмотреть, 2 предмета"), 1) << f.Heard();
}

// With a reader that reports no end (a console's screen reader), a script's
// pause lasts three seconds instead of until a key, and a key pressed in it
// is the player's next key, not spent on it. A wait for a key still takes its
// key; a death's waits too.
TEST(ShellWaits, AReaderWithNoEndPausesAndKeepsTheKey) {
    struct Case {
        const char* what;
        const char* onExam;
        std::function<void(QueuedEvents&)> during;  // after the stone is examined
        int rests;                                  // rests done in the end (a rest says "не задано" here)
        const char* heardLast;
    };
    const std::vector<Case> cases = {
        {"the pause runs out: the next key acts", "wait",
         [](QueuedEvents& e) {
             e.Ticks(30);
             e.Digit(2);
         },
         1, "не задано"},
        {"a key in the pause acts once the pause is over", "wait",
         [](QueuedEvents& e) { e.Digit(2); }, 1, "не задано"},
        {"a key held over the pause's end acts too", "wait",
         [](QueuedEvents& e) {
             e.Down('2', '2');
             e.Ticks(30);
             e.Up('2');
         },
         1, "не задано"},
        {"Enter in the pause chooses where it was pressed", "wait",
         [](QueuedEvents& e) { e.Press(ui::vk::Return, '\r'); }, 0, "2 предмета"},
        {"a wait for a key takes the key", "anykey",
         [](QueuedEvents& e) { e.Digit(2); }, 0, "Ничего интересного."},
    };
    for (const Case& c : cases) {
        ShellFixture f(c.onExam);
        f.speechReportsNoEnd = true;
        f.events.Digit(3);
        f.events.Digit(1);
        c.during(f.events);
        f.Play();
        EXPECT_EQ(f.form->Project().hero.fRest, c.rests) << c.what << "\n" << f.Heard();
        EXPECT_EQ(f.heard.back(), c.heardLast) << c.what << "\n" << f.Heard();
        EXPECT_EQ(f.Count("Ничего интересного."), 1) << c.what;
        EXPECT_EQ(f.Count("Нажмите любую клавишу."), std::string(c.onExam) == "anykey" ? 1 : 0)
            << c.what;
    }
}

// A key is the view's it went down in: the Enter that chose "Выход в меню"
// is let go on the main menu, which says nothing of it (no refusal cue).
TEST(ShellWaits, AKeyReleasedInAnotherViewDoesNothing) {
    ShellFixture f("");
    f.Play();
    f.events.Digit(0);  // the game block
    for (int i = 0; i < 4; ++i) f.events.Press(ui::vk::Down);
    f.events.Down(ui::vk::Return, '\r');
    f.Play();
    ASSERT_EQ(f.form->View(), vmPicture) << f.Heard();
    f.heard.clear();
    f.events.Up(ui::vk::Return);
    f.events.Press(ui::vk::Down);  // the next key is heard as ever
    f.Play();
    EXPECT_EQ(f.heard, (std::vector<std::string>{"Новая игра"})) << f.Heard();
}

// A timed wait of two billion ticks ends with one event that brings them all.
TEST(ShellWaits, AVeryLongTimedWaitCostsOneEvent) {
    ShellFixture f("");
    f.Play();
    f.events.Ticks(2000000000);
    f.events.Ticks(1);  // left for after the wait: the wait must not need it
    f.form->Rules().WaitTicks(2000000000);
    EXPECT_EQ(f.events.queue.size(), 1u);
    EXPECT_FALSE(f.form->Rules().waits.ended);  // ended by its ticks, not by running dry
    EXPECT_EQ(f.form->Rules().TimedWaitTicksLeft(), 0);
    EXPECT_FALSE(f.form->Rules().InWait());
}

}  // namespace
}  // namespace velmora::shell::test
