// The instructions read aloud: a line at each end of a voice's speech to
// "конец", Down and Up to move, Escape back to the main menu.
#include <gtest/gtest.h>

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
