// The instructions read aloud: a line at each end of speech to "конец",
// Down and Up to move, Escape back to the main menu.
#include <gtest/gtest.h>

#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

constexpr int kInstructions = 2;  // the main menu's third line

void WriteInstructions(const ShellFixture& f) {
    f.root.Write("instruct.txt", KeyLines({"Первая", "", "Вторая", "Третья"}));
}

TEST(Instructions, EachEndOfSpeechReadsTheNextLineToTheEnd) {
    ShellFixture f("");
    WriteInstructions(f);
    f.Play();
    f.heard.clear();
    f.form->MainMenuAction(kInstructions);
    f.Play();
    EXPECT_EQ(f.form->View(), vmReading);
    EXPECT_EQ(f.heard, (std::vector<std::string>{"Первая", "Вторая", "Третья", "конец"}));
    EXPECT_EQ(f.form->Instructions().ReadingPos(), -1);
}

TEST(Instructions, ArrowsMoveAndEscapeLeaves) {
    ShellFixture f("");
    WriteInstructions(f);
    f.speechEndsAtOnce = false;
    f.Play();
    f.form->MainMenuAction(kInstructions);
    f.heard.clear();
    f.events.Press(ui::vk::Down);  // over the empty line
    f.events.Press(ui::vk::Down);
    f.events.Press(ui::vk::Up);    // two back: the empty line, so the one after it
    f.events.Press(ui::vk::Up);
    f.events.Press(ui::vk::Up);    // never before the first
    f.Play();
    EXPECT_EQ(f.heard, (std::vector<std::string>{"Вторая", "Третья", "Вторая", "Первая",
                                                  "Первая"}));
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
