#include "talkui/sp_line.h"

#include <gtest/gtest.h>

#include "talkui/menu_line.h"
#include "unit/talkui/harness.h"

namespace velmora::talkui::test {
namespace {

struct SpLineTest : ::testing::Test {
    Harness h;
    std::unique_ptr<TSpLine> line = std::make_unique<TSpLine>(h.kit, h.panel, &h.kit.Edit, &h.kit.Settings);
    std::vector<std::string> completed;

    void Open(const char* text) {
        OpenLine(*line, T(text), [this](const std::string& t) { completed.push_back(base::Cp1251ToUtf8(t)); });
        h.Take();
    }
    std::string EditText() const { return base::Cp1251ToUtf8(h.kit.Edit->Text()); }
};

TEST_F(SpLineTest, TypingSpeaksEachCharacterAndMarksCapitals) {
    Open("");
    EXPECT_EQ(h.kit.ActiveLine, line.get());
    h.Type("Да б");
    EXPECT_EQ(h.Take(), (Heard{"cue: 37", "say: д", "say: а", "say:  ", "say: б"}));
    EXPECT_EQ(EditText(), "Да б");
    h.Type("Ё");  // not a capital of the cue's class, but named by its small letter
    EXPECT_EQ(h.Take(), (Heard{"say: ё"}));
}

TEST_F(SpLineTest, HeldKeyTypesOnceUntilReleased) {
    Open("");
    h.Down('A', 'a');
    h.Down('A', 'a');  // auto-repeat
    h.Down('A', 'a');
    h.Up('A');
    h.Press('B', 'b');
    EXPECT_EQ(h.Take(), (Heard{"say: a", "say: b"}));
    EXPECT_EQ(EditText(), "ab");
}

TEST_F(SpLineTest, CaretKeysSpeakTheCharacterToTheRight) {
    Open("Мир");
    h.Press(ui::vk::Home);
    EXPECT_EQ(h.Take(), (Heard{"say: начало строки"}));
    h.Press(ui::vk::Right);
    EXPECT_EQ(h.Take(), (Heard{"say: и"}));
    // After the first letter, Left says it, marks the capital and the line's start.
    h.Press(ui::vk::Left);
    EXPECT_EQ(h.Take(), (Heard{"say: м", "cue: 37", "cue: 13"}));
    h.Press(ui::vk::Right);
    h.Press(ui::vk::Right);
    h.Take();
    // Before the last character, Right reaches the end: only the cue.
    h.Press(ui::vk::Right);
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
    h.Press(ui::vk::End);
    EXPECT_EQ(h.Take(), (Heard{"say: конец строки"}));

    Open("");
    h.Press(ui::vk::Left);
    h.Press(ui::vk::Right);
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "say: строка пуста", "cue: 13", "say: строка пуста"}));
}

TEST_F(SpLineTest, BackspaceNamesWhatItDeletes) {
    Open("");
    h.Type("ab");
    h.Take();
    h.Backspace();
    EXPECT_EQ(h.Take(), (Heard{"say: b"}));
    EXPECT_EQ(EditText(), "a");
    h.Press(ui::vk::Home);
    h.Take();
    h.Backspace();  // nothing before the caret
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
    EXPECT_EQ(EditText(), "a");

    Open("xyz");  // all selected: the whole selection goes, and is named
    h.Backspace();
    EXPECT_EQ(h.Take(), (Heard{"say: xyz"}));
    EXPECT_EQ(EditText(), "");

    Open("Кот");  // Delete names the character after the caret
    h.Press(ui::vk::Home);
    h.Take();
    h.Press(ui::vk::Delete);
    EXPECT_EQ(h.Take(), (Heard{"say: к"}));
    h.Press(ui::vk::End);
    h.Take();
    h.Press(ui::vk::Delete);
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
    EXPECT_EQ(EditText(), "от");
}

TEST_F(SpLineTest, EnterAndEscapeCloseWithTheirTexts) {
    Open("");
    h.Type("ok");
    h.Take();
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"cue: 3"}));
    EXPECT_EQ(completed, (std::vector<std::string>{"ok"}));
    EXPECT_EQ(h.kit.ActiveLine, nullptr);
    EXPECT_FALSE(h.kit.Edit->Visible());

    Open("value");
    h.Escape();
    EXPECT_EQ(completed.back(), "");  // the menus ignore an empty text
    EXPECT_EQ(line->Text, "");
}

TEST_F(SpLineTest, CapsLockCuesAndKeyLock) {
    Open("");
    h.Press(ui::vk::Capital, 0, ui::ShiftState{.CapsLockOn = true});
    h.Press(ui::vk::Capital, 0, ui::ShiftState{.CapsLockOn = false});
    EXPECT_EQ(h.Take(), (Heard{"cue: 35", "cue: 36"}));
    h.kit.KeyLock = true;
    h.Type("q");
    h.Press(ui::vk::Left);
    EXPECT_TRUE(h.Take().empty());
    EXPECT_EQ(EditText(), "");
}

TEST_F(SpLineTest, ALineGoingAwayLeavesNothingPointingAtIt) {
    auto child = std::make_unique<TSpLine>(h.kit, h.panel, &h.kit.Edit, &h.kit.Settings);
    child->Parent = line.get();
    Open("x");
    line.reset();
    EXPECT_EQ(child->Parent, nullptr);
    EXPECT_EQ(h.kit.ActiveLine, nullptr);
    h.Type("a");  // the edit's keys reach no line
    OpenLine(*child, "y", nullptr);
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"cue: 3"}));
}

TEST_F(SpLineTest, ContextMenuCommandsActOnTheLine) {
    Open("abc");
    h.Press(ui::vk::Apps);
    EXPECT_EQ(h.Take(), (Heard{"say: простая строка. контекстное меню"}));
    ASSERT_NE(h.kit.ActiveLine, line.get());
    h.ArrowDown();
    EXPECT_EQ(h.Take(), (Heard{"say: произнести весь текст строки. "}));
    h.Enter();  // the menu closes and the line says its text
    EXPECT_EQ(h.Take(), (Heard{"say: abc"}));
    EXPECT_EQ(h.kit.ActiveLine, line.get());
    EXPECT_EQ(EditText(), "abc");

    h.Press(ui::vk::Apps);
    h.ArrowDown();
    h.ArrowDown();
    h.Take();
    h.Enter();  // "перевод текущего имени": nothing the line can do
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));

    h.Press(ui::vk::Apps);
    h.Escape();  // the top of a context menu leads back to the line
    EXPECT_EQ(h.kit.ActiveLine, line.get());
    h.Press(ui::vk::End);  // shown again with all selected
    h.Type("d");
    h.Enter();
    EXPECT_EQ(completed, (std::vector<std::string>{"abcd"}));
}

}  // namespace
}  // namespace velmora::talkui::test
