// The window's keys in the game view: what each key leaves behind for the
// next one, the focus, the digits with modifiers, and the quiet returns to
// the action menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

constexpr ui::ShiftState kAlt{.Alt = true};
constexpr ui::ShiftState kCtrl{.Ctrl = true};
constexpr ui::ShiftState kCtrlShift{.Shift = true, .Ctrl = true};
constexpr int kF2 = 113, kF3 = 114, kKeyM = 77;
const std::string kState = "Здоровье - 10, нагрузка - 0, опыт - 0";

bool Heard(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

void WalkNorth(QueuedEvents& e) {
    e.Digit(1);
    e.Digit(1);
}

// A line a script says replaces the standard message of its own action only:
// after a yard's OnEnter said one, F2 and F3 are heard, F3 with one space
// after its colon however the line was written.
TEST(ShellKeys, AScriptsLineReplacesOnlyItsOwnActionsMessage) {
    ShellFixture f("say Камень холодный.", 12, {"Scr1OnEnter=say Во дворе тихо."});
    f.events.Digit(3);
    f.events.Digit(1);  // examine the stone: its line replaces "Ничего интересного."
    WalkNorth(f.events);
    f.events.Press(kF2);
    f.events.Press(kF3);
    f.Play();
    EXPECT_EQ(f.Count("Камень холодный."), 1) << f.Heard();
    EXPECT_EQ(f.Count("Ничего интересного."), 0) << f.Heard();
    EXPECT_EQ(f.Count("Во дворе тихо."), 1) << f.Heard();
    EXPECT_EQ(f.Count(kState), 1) << f.Heard();
    EXPECT_EQ(f.Count("Экран: Двор, последнее сообщение: Во дворе тихо."), 1) << f.Heard();
}

// A script's `wait` that the voice ends owes no key release: the next key
// acts. A key pressed during the wait still does nothing when it comes up
// after the voice ended (Space would choose "Идти" again).
TEST(ShellKeys, AWaitForTheVoiceLeavesTheNextKeyAlone) {
    ShellFixture f("", 12, {"Scr1OnEnter=say Во дворе тихо.\\nwait"});
    WalkNorth(f.events);
    f.events.Press(kF2);
    f.Play();
    EXPECT_EQ(f.Count(kState), 1) << f.Heard();
    EXPECT_FALSE(f.form->Rules().waits.waiting);

    ShellFixture held("", 12, {"Scr1OnEnter=say Во дворе тихо.\\nwait"});
    held.speechEndsAtOnce = false;
    WalkNorth(held.events);
    held.events.Down(ui::vk::Space, ' ');  // during the wait
    held.events.queue.push_back({Event::Kind::SpeechEnded});
    held.events.Up(ui::vk::Space);
    held.events.Press(kF2);
    held.Play();
    EXPECT_EQ(held.Count("Можно идти: Юг."), 0) << held.Heard();
    EXPECT_EQ(held.Count(kState), 1) << held.Heard();
    EXPECT_EQ(held.form->Menu()->Depth, 1);
}

// Ctrl+M eats the character of its own keystroke only: on Linux it types
// none, and the next key's Enter still chooses; where it types one (a
// carriage return), that one is eaten.
TEST(ShellKeys, CtrlMEatsOnlyItsOwnCharacter) {
    ShellFixture f("");
    f.events.Press(ui::vk::Down);
    f.events.Press(kKeyM, 0, kCtrl);
    f.events.Press(ui::vk::Return, '\r');
    f.Play();
    EXPECT_EQ(f.Count("Можно идти: Север."), 1) << f.Heard();
    EXPECT_EQ(f.form->Menu()->Depth, 2);

    ShellFixture typed("");
    typed.events.Press(ui::vk::Down);
    typed.events.Press(kKeyM, '\r', kCtrl);
    typed.Play();
    EXPECT_EQ(typed.Count("Можно идти: Север."), 0) << typed.Heard();
    EXPECT_EQ(typed.form->Menu()->Depth, 1);
}

// Tab leaves the talking menu its focus: arrows, letters, Enter and Escape
// are heard after it.
TEST(ShellKeys, TabKeepsTheMenuFocused) {
    ShellFixture f("");
    f.events.Press(ui::vk::Tab, '\t');
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Tab, '\t', {.Shift = true});
    f.events.Press(ui::vk::Return, '\r');
    f.events.Press(ui::vk::Escape, 27);
    f.events.Press('V', Ru("в")[0]);  // "Взять"
    f.Play();
    EXPECT_TRUE(Heard(f.heard, "Идти.")) << f.Heard();
    EXPECT_TRUE(Heard(f.heard, "Можно идти: Север.")) << f.Heard();
    EXPECT_TRUE(Heard(f.heard, "Взять.")) << f.Heard();
    EXPECT_EQ(f.form->Menu()->Depth, 1);
    EXPECT_EQ(f.form->Form().ActiveControl(), f.form->Menu()->List.get());
}

// Digits with Alt, Ctrl or Ctrl+Shift are the window's quick-select like
// plain digits.
TEST(ShellKeys, DigitsWithModifiersQuickSelect) {
    ShellFixture f("");
    f.events.Press('3', 0, kAlt);  // examine
    f.events.Press(ui::vk::Escape, 27);
    f.events.Press('4', 0, kCtrl);  // carried: nothing
    f.events.Press('3', 0, kCtrlShift);
    f.Play();
    EXPECT_EQ(f.Count("Осмотреть, 2 предмета"), 2) << f.Heard();
    EXPECT_EQ(f.Count("Что с собой."), 1) << f.Heard();
    EXPECT_EQ(f.form->Menu()->Depth, 2);
}

// A successful use of two objects, and a walk into an interlude, end on the
// action menu without the boundary cue that a refusal gives.
TEST(ShellKeys, SuccessesReturnWithoutTheBoundaryCue) {
    ShellFixture f("", 12,
                   {"MapCmdCount=1", "Cmd0no=0", "Cmd0Title=разбить", "Cmd0cScr=-2", "Cmd0cObj1=1",
                    "Cmd0cObj2=0", "Cmd0cObj1Carry=0", "Cmd0cObj2Carry=0", "Cmd0MaxOnce=1",
                    "Cmd0Enabled=1", "Cmd0Message=Камень раскололся.", "Scr1OnEnter=inter 1"},
                   {"GameIntrosCnt=1", "GameIntros0=Глава вторая.\\n#page 1"});
    f.events.Digit(5);  // use: the stone, the key
    f.events.Digit(2);  // the key
    f.Play();
    ASSERT_TRUE(Heard(f.heard, "На что?")) << f.Heard();
    f.events.Digit(1);  // on the stone
    f.Play();
    std::vector<std::string> after = f.HeardAfter("На что?");
    EXPECT_TRUE(Heard(after, "Камень раскололся.")) << f.Heard();
    EXPECT_FALSE(Heard(after, "cue 13")) << f.Heard();
    EXPECT_EQ(f.form->Menu()->Depth, 1);

    WalkNorth(f.events);
    f.events.Ticks(1);  // the page's timed wait
    f.Play();
    EXPECT_FALSE(f.form->Rules().waits.ended);
    after = f.HeardAfter("Глава вторая.");
    ASSERT_EQ(f.Count("Глава вторая."), 1) << f.Heard();
    EXPECT_FALSE(Heard(after, "cue 13")) << f.Heard();
    EXPECT_EQ(f.form->View(), vmGame);
    EXPECT_EQ(f.form->Menu()->Depth, 1);
}

}  // namespace
}  // namespace velmora::shell::test

namespace velmora::shell::test {
namespace {

// F1 names the keys the player can press: a terminal cannot send Ctrl with
// the numeric pad, so its help leaves those out; the function keys for the
// settings, which every keyboard has, are named everywhere, and act as the
// Ctrl keys do, in the game and on the main menu.
TEST(ShellKeys, TheKeyHelpNamesTheKeysOfTheFrontEnd) {
    for (const bool terminal : {false, true}) {
        ShellFixture f("");
        f.terminalKeys = terminal;
        f.events.Press(ui::vk::F1);
        f.Play();
        const std::string help = f.heard.back();
        EXPECT_EQ(help.find("калькуляторном") == std::string::npos, terminal) << help;
        EXPECT_NE(help.find("эф 5 и эф 6"), std::string::npos) << help;
        EXPECT_NE(help.find("эф 9"), std::string::npos) << help;
        EXPECT_NE(help.find("Бэкспэйс"), std::string::npos) << help;  // a capital after the full stop
    }
    ShellFixture f("");
    f.events.Press(116);  // F5: slower
    f.events.Press(119);  // F8: louder
    f.events.Press(120);  // F9: the music
    f.Play();
    f.form->ShowPictureScreen("menu", Ru("Главное меню"));
    f.events.Press(117);  // F6 on the main menu: faster again
    f.Play();
    EXPECT_EQ(f.form->Speed(), 60);
    EXPECT_EQ(f.form->MidiVol(), 40);
    EXPECT_EQ(f.Count("Скорость речи 50"), 1) << f.Heard();
    EXPECT_EQ(f.Count("Скорость речи 60"), 1) << f.Heard();
    EXPECT_EQ(f.Count("Музыка не играет: звука нет"), 1) << f.Heard();
}

}  // namespace
}  // namespace velmora::shell::test

namespace velmora::shell::test {
namespace {

constexpr int kF4 = 115, kF10 = 121, kF11 = 122, kF12 = 123;

// F4 says where the hero is, as arriving did, with the exits; asking spends
// nothing: the next arrival still hears the next description.
TEST(ShellKeys, WhereAmISpendsNothing) {
    ShellFixture f("", 12, {"Scr1DescrCnt=2", "Scr1Descr0=Пустой двор.", "Scr1Descr1=Снова двор."});
    f.events.Press(kF4);
    WalkNorth(f.events);
    f.events.Press(kF4);
    f.events.Press(kF4);
    f.events.Digit(1);
    f.events.Digit(1);  // south
    WalkNorth(f.events);
    f.Play();
    EXPECT_EQ(f.Count("Экран: Ворота. Можно идти: Север."), 1) << f.Heard();
    EXPECT_EQ(f.Count("Экран: Двор. Пустой двор. Можно идти: Юг."), 2) << f.Heard();
    EXPECT_EQ(f.heard.back(), "Экран: Двор. Снова двор.") << f.Heard();
    EXPECT_EQ(f.form->Project().hero.Health, 12 - 3 * 2);  // three walks, no more
    EXPECT_EQ(base::Cp1251ToUtf8(f.form->Project().hero.LastMessage), "Снова двор.");
}

// The review keys go back over what was said during a wait without ending
// it; Ctrl alone ends a wait for the voice as the voice's end would.
TEST(ShellKeys, ReviewAndSilenceDuringWaits) {
    ShellFixture f("anykey");
    f.events.Digit(3);
    f.events.Digit(1);  // the stone's script waits for a key
    f.events.Press(kF11);
    f.events.Press(kF11);
    f.events.Press(kF12);
    f.events.Press(kF10);
    f.events.Press(ui::vk::Space, ' ');  // only this key ends the wait
    f.Play();
    EXPECT_EQ(f.HeardAfter("камень."),
              (std::vector<std::string>{"Нажмите любую клавишу.", "again камень.",
                                        "again Осмотреть, 2 предмета", "again камень.",
                                        "again Нажмите любую клавишу.", "Ничего интересного."}));
    EXPECT_FALSE(f.form->Rules().waits.ended);  // ended by a key, not by running dry

    ShellFixture voice("wait");
    voice.speechEndsAtOnce = false;  // the voice is still speaking
    voice.events.Digit(3);
    voice.events.Digit(1);
    voice.events.Press(ui::vk::Control, 0, kCtrl);
    voice.Play();
    EXPECT_FALSE(voice.form->Rules().waits.ended) << voice.Heard();
    EXPECT_EQ(voice.Count("silence"), 1) << voice.Heard();
    EXPECT_EQ(voice.heard.back(), "Ничего интересного.");

    // Ctrl held for a faster voice is not Ctrl alone: the narration goes on.
    ShellFixture held("wait");
    held.speechEndsAtOnce = false;
    held.events.Digit(3);
    held.events.Digit(1);
    held.events.Down(ui::vk::Control, 0, kCtrl);
    held.events.Press(107, 0, kCtrl);  // numeric-pad plus
    held.events.Up(ui::vk::Control, kCtrl);
    held.Play();
    EXPECT_EQ(held.form->Speed(), 70);
    EXPECT_EQ(held.Count("silence"), 0) << held.Heard();
}

// Keys that were answered by a cue alone, or by the wrong words, are heard:
// a setting at its limit says so, the music key with no sound device says
// that nothing plays (every time, never "off" after a start that was never
// heard), Shift+F10 is the context menu's and no review, and Escape on the
// main menu after the credits says the menu again.
TEST(ShellKeys, EveryKeyIsAnswered) {
    struct Case {
        const char* what;
        std::function<void(ShellFixture&)> keys;
        std::vector<std::string> heardLast;  // the last lines heard, in order
    };
    const std::vector<Case> cases = {
        {"the speech rate at its top",
         [](ShellFixture& f) {
             for (int i = 0; i < 7; ++i) f.events.Press(107, 0, kCtrl);
         },
         {"cue 13", "Скорость речи 120", "Скорость речи 120, быстрее нельзя"}},
        {"the music volume at its bottom",
         [](ShellFixture& f) {
             for (int i = 0; i < 8; ++i) f.events.Press(111, 0, kCtrl);
         },
         {"cue 13", "Громкость музыки 0", "Громкость музыки 0, тише нельзя"}},
        {"the music key without sound",
         [](ShellFixture& f) {
             f.events.Press(kKeyM, 0, kCtrl);
             f.events.Press(kKeyM, 0, kCtrl);
         },
         {"cue 13", "Музыка не играет: звука нет", "cue 13", "Музыка не играет: звука нет"}},
        {"Shift+F10 is no review key",
         [](ShellFixture& f) {
             f.events.Press(ui::vk::Down);
             f.events.Press(ui::vk::F10, 0, {.Shift = true});
         },
         {"Идти."}},
        {"Escape after the credits",
         [](ShellFixture& f) {
             f.Play();
             f.form->ShowPictureScreen("menu", Ru("Главное меню"));
             f.form->MainMenuAction(4);
             f.events.Press(ui::vk::Escape, 27);
         },
         {"Главное меню: Новая игра\r\nВыход"}},
    };
    for (const Case& c : cases) {
        ShellFixture f("");
        c.keys(f);
        f.Play();
        ASSERT_GE(f.heard.size(), c.heardLast.size()) << c.what;
        EXPECT_EQ(std::vector<std::string>(f.heard.end() - static_cast<long>(c.heardLast.size()),
                                           f.heard.end()),
                  c.heardLast)
            << c.what << "\n" << f.Heard();
    }
    // The context menu's own answer (a list's is a tone), not the last text again.
    ShellFixture f("");
    f.events.Press(ui::vk::F10, 0, {.Shift = true});
    f.Play();
    EXPECT_EQ(f.Count("again Ты у ворот."), 0) << f.Heard();
    EXPECT_EQ(std::count(f.frontEnd.calls.begin(), f.frontEnd.calls.end(), "tone 300 100"), 1);
}

}  // namespace
}  // namespace velmora::shell::test

