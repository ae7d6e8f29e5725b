#include "talkui/list_line.h"

#include <gtest/gtest.h>

#include "unit/talkui/harness.h"

namespace velmora::talkui::test {
namespace {

struct ListLineTest : ::testing::Test {
    Harness h;
    std::unique_ptr<TListLine> line = h.MakeList<TListLine>();
    std::vector<std::string> closed;

    void Load(std::initializer_list<const char*> captions) {
        line->Captions.Clear();
        for (const char* caption : captions) line->Captions.Add(T(caption));
        OpenLine(*line, {}, [this](const std::string& t) { closed.push_back(base::Cp1251ToUtf8(t)); });
        line->ResetFilter();
        h.focus = h.kit.List.get();
        h.Take();
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < h.kit.List->Count(); ++i) rows.push_back(base::Cp1251ToUtf8(h.kit.List->Item(i).Text));
        return rows;
    }
};

TEST_F(ListLineTest, CursorKeysAndTheEnds) {
    Load({"гамма", "альфа", "бета"});  // sorted
    h.ArrowDown();  // a fresh list: the first Down says row 0
    EXPECT_EQ(h.Take(), (Heard{"say: альфа"}));
    Load({"гамма", "альфа", "бета"});
    h.ArrowUp();  // and the first Up too, after the boundary cue
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "say: альфа"}));
    h.Press(ui::vk::End);
    EXPECT_EQ(h.Take(), (Heard{"say: гамма", "cue: 13"}));
    h.ArrowDown();
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "say: гамма"}));
    h.Press(ui::vk::Prior);
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "say: альфа"}));
    h.Press(ui::vk::Next);
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "say: гамма"}));
    h.Press(ui::vk::Home);
    EXPECT_EQ(h.Take(), (Heard{"say: альфа", "cue: 13"}));
    EXPECT_EQ(base::Cp1251ToUtf8(h.kit.Edit->Text()), "альфа");
    EXPECT_TRUE(h.kit.Edit->ReadOnly);  // typing never goes into the edit of a list

    Load({});
    h.ArrowDown();
    h.ArrowUp();
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "cue: 13"}));
}

TEST_F(ListLineTest, SearchRetriesTheLastLetterInTheOtherLayout) {
    Load({"игра", "имя", "окно", "север"});
    h.Type("b");  // the key of "и"
    EXPECT_EQ(h.Take(), (Heard{"say: игра"}));
    EXPECT_EQ(base::Cp1251ToUtf8(line->Search), "и");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"игра", "имя"}));
    EXPECT_EQ(h.kit.Edit->SelStart(), 1);  // the typed part stays unselected

    h.Type("q");  // neither "иq" nor "ий": the cue, then the shorter search again
    EXPECT_EQ(h.Take(), (Heard{"cue: 31", "say: игра"}));
    EXPECT_EQ(base::Cp1251ToUtf8(line->Search), "и");

    h.Type("М");  // one match: spoken, then cue 14; a capital is marked first
    EXPECT_EQ(h.Take(), (Heard{"cue: 37", "say: имя", "cue: 14"}));

    Load({"apple", "banana"});
    h.Type("ф");  // a Russian letter retried on its Latin key
    EXPECT_EQ(h.Take(), (Heard{"say: apple", "cue: 14"}));
    EXPECT_EQ(line->Search, "a");
    h.Type("zz");  // nothing in either layout, twice over
    EXPECT_EQ(h.Take(), (Heard{"cue: 31", "say: apple", "cue: 14", "cue: 31", "say: apple", "cue: 14"}));
}

TEST_F(ListLineTest, BackspaceAndDeleteRestoreTheRows) {
    Load({"игра", "имя", "окно", "север"});
    h.Type("о");
    EXPECT_EQ(h.Take(), (Heard{"say: окно", "cue: 14"}));
    h.Backspace();  // all rows again, cursor on the last match, nothing said
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
    EXPECT_EQ(Rows().size(), 4u);
    EXPECT_EQ(line->Current, 2);

    h.Type("с");
    h.Take();
    h.Press(ui::vk::Delete);  // the letters go, and the player hears so
    EXPECT_EQ(h.Take(), (Heard{"say: Поиск очищен."}));
    EXPECT_EQ(Rows().size(), 4u);
    EXPECT_EQ(line->Current, 3);
    EXPECT_EQ(line->Search, "");

    h.Backspace();  // nothing typed: Back, which a plain list refuses
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
}

TEST_F(ListLineTest, HeldEnterClosesOnce) {
    Load({"альфа", "бета"});
    h.ArrowDown();
    h.Take();
    h.Down(ui::vk::Return, '\r');
    h.Down(ui::vk::Return, '\r');
    h.Up(ui::vk::Return);
    EXPECT_EQ(h.Take(), (Heard{"cue: 3"}));
    EXPECT_EQ(closed, (std::vector<std::string>{"альфа"}));
    EXPECT_EQ(line->Chosen, 0);
    EXPECT_EQ(line->Found, 0);
}

TEST_F(ListLineTest, ClickSpeaksAfterTheWaitUnlessADoubleClickCame) {
    Load({"альфа", "бета", "гамма"});
    std::vector<int> waits;
    h.kit.WaitHook = [&](int ms) { waits.push_back(ms); };
    h.kit.List->Click(1);
    EXPECT_EQ(waits, (std::vector<int>{199}));
    EXPECT_EQ(h.Take(), (Heard{"say: бета"}));

    // The second press of a double click arrives while the first click waits.
    h.kit.WaitHook = [&](int) {
        h.heard.push_back("waiting");
        h.kit.List->DoubleClick(2);
    };
    h.kit.List->Click(0);
    EXPECT_EQ(h.Take(), (Heard{"waiting", "say: гамма", "cue: 3"}));
    EXPECT_EQ(closed, (std::vector<std::string>{"гамма"}));
    EXPECT_FALSE(line->KeyHeld);
}

TEST_F(ListLineTest, KeyLockSilencesEveryKey) {
    Load({"альфа", "бета"});
    h.kit.KeyLock = true;
    h.ArrowDown();
    h.Type("б");
    h.Enter();
    EXPECT_TRUE(h.Take().empty());
    EXPECT_EQ(line->Current, -1);
    EXPECT_EQ(line->Search, "");
}

}  // namespace
}  // namespace velmora::talkui::test
