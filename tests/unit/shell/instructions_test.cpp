// The instructions read aloud: a line at each end of a voice's speech to
// "конец", Down and Up to move, Escape back to the main menu.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

constexpr int kInstructions = 2;  // the main menu's third line

void WriteInstructions(const ShellFixture& f) {
    f.root.Write("instruct.txt", KeyLines({"Первая", "", "Вторая", "Третья"}));
}

TEST(Instructions, AVoiceReadsOnToTheEndAPrinterWaitsForTheArrows) {
    ShellFixture voice("");
    WriteInstructions(voice);
    voice.speechEndsAtOnce = false;
    voice.Play();
    voice.heard.clear();
    voice.form->MainMenuAction(kInstructions);
    for (int i = 0; i < 5; ++i) voice.events.queue.push_back({Event::Kind::SpeechEnded});
    voice.Play();
    EXPECT_EQ(voice.form->View(), vmReading);
    EXPECT_EQ(voice.heard, (std::vector<std::string>{"Первая", "Вторая", "Третья", "конец"}));
    EXPECT_EQ(voice.form->Instructions().ReadingPos(), -1);

    // Each text ends at once: read on, the whole file would go by at a key.
    ShellFixture printer("");
    WriteInstructions(printer);
    printer.Play();
    printer.heard.clear();
    printer.form->MainMenuAction(kInstructions);
    printer.Play();
    EXPECT_EQ(printer.heard, (std::vector<std::string>{"Первая"}));
    printer.events.Press(ui::vk::Down);
    printer.Play();
    EXPECT_EQ(printer.heard.back(), "Вторая");

    // A screen reader that reports no end reads line by line with the arrows.
    ShellFixture reader("");
    WriteInstructions(reader);
    reader.speechReportsNoEnd = true;
    reader.Play();
    reader.heard.clear();
    reader.form->MainMenuAction(kInstructions);
    reader.events.Press(ui::vk::Down);
    reader.events.Press(ui::vk::Down);
    reader.events.Press(ui::vk::Up);
    reader.Play();
    EXPECT_EQ(reader.heard, (std::vector<std::string>{"Первая", "Вторая", "Третья", "Вторая"}));
}

TEST(Instructions, ArrowsMoveAndEscapeLeaves) {
    ShellFixture f("");
    WriteInstructions(f);
    f.speechEndsAtOnce = false;  // keys come faster than the voice ends
    f.Play();
    f.form->MainMenuAction(kInstructions);
    f.heard.clear();
    f.events.Press(ui::vk::Down);  // over the empty line
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Up);    // the line before the one being read
    f.events.Press(ui::vk::Up);    // over the empty line, backwards
    f.events.Press(ui::vk::Up);    // never before the first: the cue, and the first again
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Down);  // past the last
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Up);    // after the end: the last line
    f.Play();
    EXPECT_EQ(f.heard, (std::vector<std::string>{"Вторая", "Третья", "Вторая", "Первая", "cue 13",
                                                  "Первая", "Вторая", "Третья", "конец", "конец",
                                                  "Третья"}));
    // The caret stands at the line being read, for the companion's eyes.
    auto* text = dynamic_cast<ui::RichEdit*>(FindControl(f.form->Form(), "RichEdit2"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->CaretLine(), 3);
    f.events.Press(ui::vk::Escape, 27);
    f.Play();
    EXPECT_EQ(f.form->View(), vmPicture);
    EXPECT_EQ(f.heard.back(), "Главное меню: Новая игра\r\nВыход") << f.Heard();
    ui::Control* page = FindControl(f.form->Form(), "RichEdit2");
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->Visible());
    EXPECT_EQ(page->GetAlign(), ui::Align::Bottom);
    EXPECT_TRUE(FindControl(f.form->Form(), "Image2")->Visible());
    // The speech that ends now reads nothing more.
    f.events.queue.push_back({Event::Kind::SpeechEnded});
    const size_t heard = f.heard.size();
    f.Play();
    EXPECT_EQ(f.heard.size(), heard);
}

}  // namespace
}  // namespace velmora::shell::test

namespace velmora::shell::test {
namespace {

// A named pipe in place of the instructions or of the main menu's text is
// named to the player at once; nothing waits on it.
TEST(Instructions, APipeInPlaceOfATextIsNamedNotWaitedOn) {
    ShellFixture f("");
    f.Play();
    ASSERT_EQ(::mkfifo((f.root.path() / "instruct.txt").c_str(), 0600), 0);
    const std::filesystem::path menu = f.root.path() / "Projects/Default/menu.txt";
    std::filesystem::remove(menu);
    ASSERT_EQ(::mkfifo(menu.c_str(), 0600), 0);
    f.heard.clear();
    f.form->MainMenuAction(kInstructions);
    f.Play();
    ASSERT_FALSE(f.heard.empty());
    EXPECT_EQ(f.heard.front().rfind("Ошибка: ", 0), 0u) << f.Heard();
    EXPECT_NE(f.heard.front().find("instruct.txt"), std::string::npos) << f.Heard();
    f.heard.clear();
    f.form->ShowPictureScreen("menu", base::Utf8ToCp1251("Главное меню"));
    f.Play();
    ASSERT_FALSE(f.heard.empty());
    EXPECT_EQ(f.heard.back().rfind("Ошибка: ", 0), 0u) << f.Heard();
    EXPECT_NE(f.heard.back().find("menu.txt"), std::string::npos) << f.Heard();
    EXPECT_NE(f.heard.back().find("Главное меню:"), std::string::npos) << f.Heard();
}

}  // namespace
}  // namespace velmora::shell::test
