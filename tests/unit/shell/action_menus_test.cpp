// The action menus: what each verb offers and answers, where the menu ends
// up, and the game block's new game, leaving, saving and loading.
#include <gtest/gtest.h>

#include "base/file_io.h"
#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

const std::vector<std::string> kGame = {
    "GameIHaveNotCnt=1", "GameIHaveNot0=У меня ничего нет.", "GameNoSpeakCnt=1",
    "GameNoSpeak0=Здесь не с кем говорить.", "GameITakeCnt=1", "GameITake0=Взял.",
    "GameICantTakeCnt=1", "GameICantTake0=Это не поднять."};

// Nothing carried: the verbs of the hero's things answer and stay on the
// action menu; talking is answered and stays there too.
TEST(ActionMenus, EmptyListsAndTalkingAnswerOnTheActionMenu) {
    ShellFixture f("", 12, {}, kGame);
    f.events.Digit(4);  // carried
    f.events.Digit(9);  // give
    f.events.Digit(8);  // talk
    f.Play();
    EXPECT_EQ(f.Count("У меня ничего нет."), 2) << f.Heard();
    EXPECT_EQ(f.Count("Здесь не с кем говорить."), 1) << f.Heard();
    EXPECT_EQ(f.form->Menu()->Depth, 1);
}

// Giving: with nobody here the carried list stays open; with someone, the
// gift ends in "не получается." on the action menu and changes nothing.
TEST(ActionMenus, GivingNeverChangesTheWorld) {
    ShellFixture f("", 12, {"Obj0ScrWhere=1"}, kGame);  // the stone lies in the yard
    f.events.Digit(6);
    f.events.Digit(1);  // take the key: nothing is left at the gate
    f.events.Digit(9);
    f.events.Digit(1);
    f.Play();
    EXPECT_EQ(f.Count("Взял."), 1) << f.Heard();
    EXPECT_EQ(f.heard.back(), "некому отдавать") << f.Heard();
    EXPECT_EQ(f.form->Menu()->Depth, 2);
    f.events.Press(ui::vk::Escape, 27);
    f.events.Digit(1);
    f.events.Digit(1);  // north, to the stone
    f.events.Digit(9);
    f.events.Digit(1);  // the key
    f.Play();
    EXPECT_EQ(f.HeardAfter("кому?"), (std::vector<std::string>{"ключ, 1 предмет"})) << f.Heard();
    f.events.Digit(1);  // to the stone
    f.Play();
    EXPECT_EQ(f.heard.back(), "не получается.") << f.Heard();
    EXPECT_EQ(f.form->Menu()->Depth, 1);
    EXPECT_EQ(f.form->Project().hero.carried.size(), 1u);
}

// Two objects of one title: choosing either acts on the first of them.
TEST(ActionMenus, TheFirstOfTwoSameTitlesIsChosen) {
    ShellFixture f("", 12,
                   {"MapObjCount=3", "Obj2no=2", "Obj2Title=камень", "Obj2ScrWhere=0",
                    "Obj2Visible=1", "Obj2Takable=1", "Obj2Weight=1"},
                   kGame);
    f.events.Digit(6);
    f.events.Digit(3);  // the second stone, which could be taken
    f.Play();
    EXPECT_EQ(f.heard.back(), "Это не поднять.") << f.Heard();
    EXPECT_TRUE(f.form->Project().hero.carried.empty());
    EXPECT_EQ(f.form->Menu()->Depth, 1);
}

// The game block: a save says so, a load brings the saved game back and
// says where the hero is; a new game starts over; leaving opens the main
// menu with no line chosen.
TEST(ActionMenus, TheGameBlock) {
    ShellFixture f("", 12, {}, kGame);
    f.events.Digit(0);  // the game block
    f.events.Digit(2);  // save
    f.events.Digit(2);  // slot 2
    f.Play();
    EXPECT_EQ(f.heard.back(), "Игра сохранена: 2 (вторая игра).") << f.Heard();
    EXPECT_TRUE(f.root.Exists("Saves/2-game.ini"));
    EXPECT_EQ(f.form->Menu()->Depth, 1);
    EXPECT_EQ(f.form->Menu()->Current, -1);

    f.events.Digit(6);
    f.events.Digit(2);  // take the key
    f.events.Digit(0);
    f.events.Digit(1);  // load
    f.events.Digit(2);
    f.Play();
    EXPECT_EQ(f.heard.back(), "Экран: Ворота, последнее сообщение: Ты у ворот.") << f.Heard();
    EXPECT_TRUE(f.form->Project().hero.carried.empty());

    f.events.Digit(6);
    f.events.Digit(2);
    f.events.Digit(0);
    f.events.Digit(3);  // new game
    f.Play();
    // The game it replaces is kept in the autosave first.
    EXPECT_EQ(f.heard.back(), "Прежняя игра сохранена до первого хода в новой. Ты у ворот.") << f.Heard();
    EXPECT_TRUE(f.form->Project().hero.carried.empty());
    EXPECT_EQ(f.form->Menu()->Depth, 1);

    f.events.Digit(0);
    f.events.Digit(4);  // leave
    f.events.Press(ui::vk::Down);
    f.Play();
    EXPECT_EQ(f.form->View(), vmPicture);
    EXPECT_EQ(f.heard.back(), "Новая игра") << f.Heard();
}

// The spoken settings, from the game block and from the main menu: each
// change is put to use and said at once, and kept in main.ini; the music
// switch without a sound device says that nothing plays and stays off.
TEST(ActionMenus, SettingsChangeAtOnceAndAreKept) {
    ShellFixture f("");
    f.events.Digit(0);  // the game block
    f.events.Digit(5);  // its last entry: the settings
    f.events.Digit(1);  // the speech rate: its choices, at the current one
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Return, '\r');
    f.Play();
    EXPECT_EQ(f.HeardAfter("Настройки."),
              (std::vector<std::string>{"Настройки, 3 пункта", "Скорость речи значение 60.", "60",
                                        "70", "rate 70", "Скорость речи значение 70."}))
        << f.Heard();
    EXPECT_EQ(f.form->Speed(), 70);
    EXPECT_NE(f.root.Read("main.ini").find("Speed=70"), std::string::npos);

    f.events.Digit(3);  // the music switch
    f.Play();
    EXPECT_EQ(std::vector<std::string>(f.heard.end() - 4, f.heard.end()),
              (std::vector<std::string>{"Музыка нет.", "Музыка не играет: звука нет", "Музыка нет.", "нет"}))
        << f.Heard();

    // The main menu's own line after its six opens them; back from their top
    // is the menu again. A shorter menu keeps its places for its actions.
    const std::string menu = "Главное меню: Новая игра\r\nЗагрузить\r\nИнструкция\r\nВступление\r\n"
                             "Об авторах\r\nВыход\r\nНастройки";
    f.form->ShowPictureScreen("menu", Ru("Главное меню"));
    EXPECT_EQ(f.heard.back(), "Главное меню: Новая игра\r\nВыход") << f.Heard();
    f.root.Write("Projects/Default/menu.txt", KeyLines({"Новая игра", "Загрузить", "Инструкция",
                                                        "Вступление", "Об авторах", "Выход"}));
    f.form->ShowPictureScreen("menu", Ru("Главное меню"));
    EXPECT_EQ(f.heard.back(), menu) << f.Heard();
    f.events.Digit(7);
    f.events.Press(113);  // F2: no game to tell of
    f.events.Press(ui::vk::Escape, 27);
    f.Play();
    EXPECT_EQ(f.HeardAfter("Настройки, 3 пункта"),
              (std::vector<std::string>{"cue 13", menu}))
        << f.Heard();
    EXPECT_EQ(f.form->View(), vmPicture);
}

// With a front end that can open outputs, the settings offer the voices and
// the outputs too: a choice opens the output it names, with the voice, keeps
// both in main.ini, and the entry is said again through the new output.
TEST(ActionMenus, SettingsChangeTheVoiceAndTheOutput) {
    ShellFixture f("");
    std::vector<std::string> opened;
    f.speechChoices.listVoices = [] { return std::vector<std::string>{"ru", "ru+f3"}; };
    f.speechChoices.open = [&f, &opened](const std::string& output, const std::string& voice) {
        opened.push_back(output + " " + voice);
        return std::make_unique<HeardSpeech>(f.heard, f.events, f.speechEndsAtOnce);
    };
    f.events.Digit(0);
    f.events.Digit(5);  // the settings: five entries now
    f.events.Digit(4);  // the voice: the default one, then the listed ones
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Return, '\r');
    f.events.Digit(5);  // the output
    for (int i = 0; i < 4; ++i) f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Return, '\r');
    f.Play();
    EXPECT_EQ(opened, (std::vector<std::string>{"auto ru+f3", "none ru+f3"})) << f.Heard();
    EXPECT_EQ(f.Count("Настройки, 5 пунктов"), 1) << f.Heard();
    EXPECT_EQ(f.Count("Голос значение ru+f3."), 1) << f.Heard();  // the row again, with its value
    EXPECT_EQ(f.heard.back(), "Вывод речи значение нет, читает экранный чтец.") << f.Heard();
    const std::string ini = f.root.Read("main.ini");
    EXPECT_NE(ini.find("Voice=ru+f3"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Speech=none"), std::string::npos) << ini;
}

}  // namespace
}  // namespace velmora::shell::test


