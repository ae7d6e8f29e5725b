#include "talkui/menu_line.h"

#include <gtest/gtest.h>

#include "unit/talkui/harness.h"

namespace velmora::talkui::test {
namespace {

struct MenuTest : ::testing::Test {
    Harness h;
    TMenuBlock root, game;
    std::vector<std::string> things = {T("меч"), T("щит"), T("лук")};
    std::vector<std::string> nothing;
    std::vector<std::string> colours = {T("красный"), T("зелёный"), T("синий")};
    std::shared_ptr<TMenuBlock> built;
    int32_t sound = 0, colour = 1;
    std::string folder = "/home/";
    std::vector<std::string> acted;  // choice hooks that ran
    std::unique_ptr<TMenuLine> menu = h.MakeList<TMenuLine>();

    MenuTest() {
        root.AddEntry(T("Идти"), etCommand).OnChoose = [this](TMenuLine&, TMenuEntry&) {
            acted.push_back("go");
            return MenuResult::GoOn;
        };
        // Like the game's verbs: the hook builds the block it enters.
        root.AddEntry(T("Осмотреть"), etSubmenu).OnChoose = [this](TMenuLine&, TMenuEntry& e) {
            h.kit.UnitNoun = {T("предмет"), T("предмета"), T("предметов")};
            built = BuildOwnedBlock(things, etCommand, [this](TMenuLine&, TMenuEntry& chosen) {
                acted.push_back(base::Cp1251ToUtf8(*chosen.Caption));
                return MenuResult::GoOn;
            });
            built->Title = T("на полу");
            e.Link = built.get();
            return MenuResult::GoOn;
        };
        root.AddEntry(T("Игра"), etSubmenu).Link = &game;
        TMenuEntry& toggle = root.AddEntry(T("Звук"), etSwitch);
        toggle.IntValue = &sound;
        toggle.Description = T("музыка и шумы");
        TMenuEntry& value = root.AddEntry(T("Папка"), etValue);
        value.Aux = "f";
        value.TextValue = &folder;
        value.Prompt = T("выберите папку");
        TMenuEntry& choice = root.AddEntry(T("Цвет"), etChoice);
        choice.Choices = &colours;
        choice.IntValue = &colour;
        choice.OnChanged = [this](TMenuLine&, TMenuEntry&) {
            acted.push_back("colour " + std::to_string(colour));
        };
        root.Entries[3].OnChanged = [this](TMenuLine&, TMenuEntry&) {  // the switch
            acted.push_back("sound " + std::to_string(sound));
        };
        root.Title = T("главное");
        game.AddEntry(T("Сохранить"), etAction).Aux = "F5";
        game.AddEntry(T("Загрузить"), etCommand);
        h.focus = h.kit.List.get();
    }

    void Open(TMenuBlock& block) {
        menu->OpenBlock(block);
        h.Take();
    }
    // The cursor on a row, heard as the arrows would say it (Enter acts only
    // on a row heard).
    void MoveTo(int row) {
        menu->Current = row;
        menu->SelectCurrent(true);
        h.Take();
    }
};

TEST_F(MenuTest, OpeningSaysNothingAndTheFirstKeysSayEntryZero) {
    menu->OpenBlock(root);
    EXPECT_TRUE(h.Take().empty());
    EXPECT_EQ(h.kit.ActiveLine, menu.get());
    h.ArrowDown();
    EXPECT_EQ(h.Take(), (Heard{"say: Идти. "}));
    Open(root);
    h.ArrowUp();
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "say: Идти. "}));
    h.Press(ui::vk::F1);  // no description: nothing to add
    EXPECT_EQ(h.Take(), (Heard{"say: "}));
}

TEST_F(MenuTest, EnteringAnnouncesTheCountUnitNounAndTitle) {
    Open(root);
    MoveTo(1);
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"say: 3 предмета на полу"}));
    EXPECT_EQ(menu->CurrentBlock, built.get());
    EXPECT_EQ(base::Cp1251ToUtf8(menu->Prefix), "Осмотреть\\");
    EXPECT_EQ(menu->Depth, 2);
    h.Press(ui::vk::F1);  // no entry under the cursor: the block's title
    EXPECT_EQ(h.Take(), (Heard{"say: на полу"}));

    // Nothing under the cursor yet: Enter says what there is and stays.
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"say: 3 предмета: меч, щит, лук"}));
    EXPECT_EQ(menu->CurrentBlock, built.get());
    EXPECT_TRUE(acted.empty());
    // A row the cursor is on but that was never said is said, not chosen.
    menu->Current = 1;
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"say: щит. "}));
    EXPECT_TRUE(acted.empty());
    h.Backspace();  // back, to the entry left
    EXPECT_EQ(h.Take(), (Heard{"say: Осмотреть. "}));
    EXPECT_EQ(menu->CurrentBlock, &root);
    EXPECT_EQ(menu->Prefix, "");
    EXPECT_EQ(menu->Depth, 1);

    menu->Choose('\0');  // chosen without a key: the caption comes first, parted from the count
    EXPECT_EQ(h.Take(), (Heard{"say: Осмотреть, 3 предмета на полу"}));

    menu->Back();
    things.clear();  // an empty list builds an empty block: only its title is said
    MoveTo(1);
    h.Take();
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"say: на полу"}));
    h.ArrowDown();
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
}

TEST_F(MenuTest, BackReturnsToTheFirstEntryOfTheSameCaption) {
    TMenuBlock twins;
    twins.AddEntry(T("Ключ"), etCommand);
    twins.AddEntry(T("Дверь"), etSubmenu).Link = &game;
    twins.AddEntry(T("Дверь"), etSubmenu).Link = &game;
    Open(twins);
    MoveTo(2);
    h.Enter();
    h.Take();
    h.Backspace();
    EXPECT_EQ(h.Take(), (Heard{"say: Дверь. "}));
    EXPECT_EQ(menu->Current, 1);
}

TEST_F(MenuTest, TheTopRefusesBackAndEscapeLeavesAtOnce) {
    Open(root);
    h.Backspace();
    h.Escape();
    EXPECT_EQ(h.Take(), (Heard{"cue: 13", "cue: 13"}));
    EXPECT_EQ(menu->CurrentBlock, &root);
    EXPECT_EQ(h.kit.ActiveLine, menu.get());

    MoveTo(2);
    h.Enter();
    h.Type("з");
    EXPECT_EQ(h.Take(), (Heard{"say: 2", "say: Загрузить. ", "cue: 14"}));
    h.Escape();  // the letters and the block go at once
    EXPECT_EQ(h.Take(), (Heard{"say: Игра. "}));
    EXPECT_EQ(menu->CurrentBlock, &root);
    EXPECT_EQ(menu->Search, "");
    // At the top there is nothing to leave: the letters go, aloud, and the
    // cursor stays on the row heard.
    h.Type("ц");
    EXPECT_EQ(h.Take(), (Heard{"say: Цвет значение зелёный. ", "cue: 14"}));
    h.Escape();
    EXPECT_EQ(h.Take(), (Heard{"say: Поиск очищен."}));
    EXPECT_EQ(menu->Search, "");
    EXPECT_EQ(menu->List->Count(), 6);
    EXPECT_EQ(base::Cp1251ToUtf8(menu->RowText(menu->Current)), "Цвет");
    // Letters that match nothing, then Enter: the cue, and nothing chosen.
    Open(root);
    h.Type("ъ");
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"cue: 31", "cue: 13", "cue: 13"}));
    EXPECT_EQ(menu->Current, -1);
    EXPECT_TRUE(acted.empty());
}

TEST_F(MenuTest, HeldKeysActOnce) {
    Open(root);
    MoveTo(1);
    h.Enter();
    h.Take();
    h.Down(ui::vk::Escape, 27);
    h.Down(ui::vk::Escape, 27);
    h.Down(ui::vk::Escape, 27);
    h.Up(ui::vk::Escape);
    EXPECT_EQ(h.Take(), (Heard{"say: Осмотреть. "}));
    EXPECT_EQ(menu->CurrentBlock, &root);

    MoveTo(0);
    h.Down(ui::vk::Return, '\r');
    h.Down(ui::vk::Return, '\r');
    h.Up(ui::vk::Return);
    EXPECT_EQ(acted, (std::vector<std::string>{"go"}));
}

TEST_F(MenuTest, SwitchesToggleWithEnterAndSpace) {
    Open(root);
    MoveTo(3);
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"say: Звук да. музыка и шумы", "say: да"}));
    EXPECT_EQ(sound, 1);
    h.Space();  // the space's own name, then Space chooses on release
    EXPECT_EQ(h.Take(), (Heard{"say:  ", "say: Звук нет. музыка и шумы", "say: нет"}));
    EXPECT_EQ(sound, 0);
    EXPECT_EQ(acted, (std::vector<std::string>{"sound 1", "sound 0"}));
    h.Press(ui::vk::F1);
    EXPECT_EQ(h.Take(), (Heard{"say: музыка и шумы"}));
    EXPECT_EQ(h.kit.ChosenEntry, &root.Entries[3]);
}

TEST_F(MenuTest, ChoicesListAndStoreTheValue) {
    Open(root);
    MoveTo(4);
    h.ArrowDown();
    EXPECT_EQ(h.Take(), (Heard{"say: Цвет значение зелёный. "}));
    h.Enter();
    EXPECT_EQ(h.Take(), (Heard{"say: зелёный"}));
    EXPECT_TRUE(menu->ChoiceMode);
    h.ArrowDown();
    h.Enter();
    // Back on the entry, with the value chosen; a changed value is put to use.
    EXPECT_EQ(h.Take(), (Heard{"say: синий", "say: Цвет значение синий. "}));
    EXPECT_EQ(colour, 2);
    EXPECT_EQ(acted, (std::vector<std::string>{"colour 2"}));
    EXPECT_FALSE(menu->ChoiceMode);
    EXPECT_EQ(menu->Current, 5);

    h.Enter();
    h.ArrowUp();
    h.Escape();  // leaves the choices without storing
    EXPECT_EQ(colour, 2);
    EXPECT_EQ(menu->Current, 5);
    EXPECT_EQ(menu->Captions.Count(), 6);
}

TEST_F(MenuTest, HookResults) {
    MenuResult stopAt = MenuResult::Stop;
    root.Entries[2].OnChoose = [&](TMenuLine&, TMenuEntry&) { return stopAt; };
    Open(root);
    MoveTo(2);
    h.Enter();
    EXPECT_EQ(menu->CurrentBlock, &root);  // Stop: stays
    stopAt = MenuResult::Accept;
    h.Take();
    h.Enter();  // the menu accepts and closes
    EXPECT_EQ(h.Take(), (Heard{"cue: 3"}));
    EXPECT_EQ(h.kit.ActiveLine, nullptr);

    // The menu's handler, as the shell sets it on a block shown alone: Back
    // at that block and Escape reach it, and Stop keeps the menu there.
    TMenuBlock alone;
    alone.AddEntry(T("Применить"), etCommand);
    std::vector<std::string> calls;
    MenuResult answer = MenuResult::Stop;
    Open(alone);
    menu->HandlerData = &alone;
    menu->Handler = [&](TMenuLine&, const HandlerArg& arg) {
        calls.push_back(arg.kind == HandlerArg::Back ? "back" : "escape");
        return answer;
    };
    h.Backspace();
    h.Escape();
    EXPECT_TRUE(h.Take().empty());
    EXPECT_EQ(menu->CurrentBlock, &alone);
    answer = MenuResult::GoOn;
    h.Backspace();  // the handler goes on: the top refuses
    EXPECT_EQ(h.Take(), (Heard{"cue: 13"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"back", "escape", "back"}));
}

// Blocks built at run time are owned by the entries that link them and held
// by the menu while it stands in them or runs their hooks: a hook may replace
// the very block it runs in, or its parent's, again and again, and the menu
// still goes back through blocks that nothing else reaches any more.
TEST(MenuLifetime, BuiltBlocksLiveWhileTheMenuCanReachThem) {
    Harness h;
    TMenuBlock root;
    std::weak_ptr<TMenuBlock> firstGifts;
    int builds = 0;
    std::vector<std::string> chosen;
    auto menu = h.MakeList<TMenuLine>();
    // "give": a list of gifts; choosing a gift builds its receivers as that
    // gift's child, and rebuilds the gift list itself under the menu's feet.
    TMenuEntry& give = root.AddEntry(T("Отдать"), etSubmenu);
    std::function<std::shared_ptr<TMenuBlock>()> gifts;
    gifts = [&]() {
        ++builds;
        return BuildOwnedBlock({T("ключ"), T("меч")}, etSubmenu, [&](TMenuLine&, TMenuEntry& gift) {
            give.Attach(gifts());  // the block of this very entry is replaced
            gift.Attach(BuildOwnedBlock({T("страж")}, etCommand, [&](TMenuLine& m, TMenuEntry& e) {
                chosen.push_back(base::Cp1251ToUtf8(*e.Caption));
                m.Back();
                m.Back();
                return MenuResult::GoOn;
            }));
            return MenuResult::GoOn;
        });
    };
    give.OnChoose = [&](TMenuLine&, TMenuEntry& e) {
        e.Attach(gifts());
        if (firstGifts.expired()) firstGifts = e.OwnedLink;
        return MenuResult::GoOn;
    };
    h.focus = h.kit.List.get();
    menu->OpenBlock(root);
    for (int round = 0; round < 20; ++round) {
        menu->Current = 0;
        menu->Choose('\0');  // into the gifts
        menu->Current = 0;
        menu->Choose('\0');  // a gift: into its receivers
        ASSERT_EQ(menu->Depth, 3);
        menu->Current = 0;
        menu->Choose('\0');  // the receiver: back twice, to the top
        ASSERT_EQ(menu->Depth, 1);
        ASSERT_EQ(menu->CurrentBlock, &root);
    }
    EXPECT_EQ(chosen.size(), 20u);
    EXPECT_EQ(builds, 40);
    // Nothing reaches the first gift list any more: it is gone, not kept for ever.
    EXPECT_TRUE(firstGifts.expired());

    // In a gift list whose entry was rebuilt by a later choice, Back still
    // finds the parent; leaving frees the list.
    menu->Current = 0;
    menu->Choose('\0');
    std::weak_ptr<TMenuBlock> standing = menu->CurrentBlock->Shared();
    give.Attach(gifts());  // the list the menu stands in is no longer linked
    ASSERT_FALSE(standing.expired());
    h.Take();
    menu->Back();
    EXPECT_EQ(menu->CurrentBlock, &root);
    EXPECT_TRUE(standing.expired());
}

}  // namespace
}  // namespace velmora::talkui::test
