#include "talkui/prop_bag.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "talkui/menu_line.h"
#include "unit/talkui/harness.h"
#include "unit/test_folder.h"

namespace velmora::talkui::test {
namespace {

using ui::Rgb;

TEST(PropBag, ParseColourReadsRedGreenBluePairs) {
    EXPECT_EQ(ParseColour("80ff00"), Rgb(0x80, 0xFF, 0x00));
    EXPECT_EQ(ParseColour("FF0000"), Rgb(0xFF, 0, 0));
    EXPECT_EQ(ParseColour("zzzzzz"), 0u);
    EXPECT_EQ(ParseColour("ff00zz"), Rgb(0xFF, 0, 0));  // only the bad pair is 0
    EXPECT_EQ(ParseColour("fff"), Rgb(0xFF, 0x0F, 0));  // a short pair
    EXPECT_EQ(ParseColour(""), 0u);
}

TEST(PropBag, AMissingFileGivesTheTableDefaults) {
    velmora::test::TestFolder folder;
    for (const auto& bag : {TSpLinePropBag::Create(folder.path()), TSpLinePropBag::Create({})}) {
        EXPECT_EQ(bag->FontSize, 18);
        EXPECT_EQ(bag->ListStyle, 3);
        EXPECT_EQ(bag->Dir, Rgb(0x80, 0xFF, 0));
        EXPECT_EQ(bag->File, Rgb(0, 0xFF, 0));
        EXPECT_EQ(bag->Mark, Rgb(0xFF, 0, 0));
        EXPECT_EQ(bag->Cursor, Rgb(0xFF, 0xFF, 0));
        EXPECT_EQ(bag->Back, 0u);
        EXPECT_EQ(bag->CursorFont, 0u);
        EXPECT_TRUE(bag->Types.Empty());
        EXPECT_FALSE(bag->LoadProblem);
    }
}

TEST(PropBag, ReadsColorsIniFoundInAnyLetterCase) {
    velmora::test::TestFolder folder;
    folder.Write("settings/Colors.INI",
                 "[files]\r\nDir = 0000ff\r\nMark=zz\r\n[Types]\r\nmp3=ff0000\r\n; a comment\r\n"
                 "txt = 00ff00\r\nno value here\r\n[Other]\r\nwav=ffffff\r\n[Types]\r\nogg=ffffff\r\n");
    const auto bag = TSpLinePropBag::Create(folder.path());
    EXPECT_EQ(bag->Dir, Rgb(0, 0, 0xFF));
    EXPECT_EQ(bag->Mark, 0u);
    EXPECT_EQ(bag->File, Rgb(0, 0xFF, 0));  // missing key: its default
    EXPECT_EQ(bag->TypeColour(".MP3"), Rgb(0xFF, 0, 0));
    EXPECT_EQ(bag->TypeColour(".txt"), Rgb(0, 0xFF, 0));
    EXPECT_FALSE(bag->TypeColour(".wav"));
    EXPECT_FALSE(bag->TypeColour(".ogg"));  // only the first section of a name counts
    EXPECT_EQ(bag->Types.Count(), 2);
}

TEST(PropBag, AnUnreadableFileKeepsTheDefaultsAndSaysWhy) {
    velmora::test::TestFolder folder;
    std::filesystem::create_directories(folder.path() / "Settings" / "colors.ini");
    const auto bag = TSpLinePropBag::Create(folder.path());
    ASSERT_TRUE(bag->LoadProblem);
    EXPECT_NE(bag->LoadProblem->file().find("colors.ini"), std::string::npos);
    EXPECT_EQ(bag->Dir, Rgb(0x80, 0xFF, 0));
}

TEST(RowDrawing, TheCursorRowIsTallerAndLarger) {
    Harness h;
    auto line = h.MakeList<TListLine>();
    for (const char* c : {"a", "b", "c"}) line->Captions.Add(c);
    OpenLine(*line, {}, nullptr);
    line->ResetFilter();
    line->Current = 1;
    line->SelectCurrent(false);
    EXPECT_EQ(line->RowHeight, 24);
    EXPECT_EQ(line->CursorRowHeight, 51);  // measured at 38 points
    EXPECT_EQ(h.kit.List->ItemHeightAt(1), 51);
    EXPECT_EQ(h.kit.List->ItemHeightAt(0), 24);

    const TSpLinePropBag& s = *h.kit.Settings;
    const ui::Rect box{0, 0, 300, 30};
    const ui::ItemPaint cursor = h.kit.List->PaintItem(1, box).value();
    EXPECT_EQ(cursor.Background, s.Cursor);
    EXPECT_EQ(cursor.Runs.at(0).FontSize, 28);
    EXPECT_EQ(cursor.Runs.at(0).Color, s.CursorFont);
    const ui::ItemPaint other = h.kit.List->PaintItem(0, box).value();
    EXPECT_EQ(other.Background, s.Back);
    EXPECT_EQ(other.Runs.at(0).FontSize, 18);
    EXPECT_EQ(other.Runs.at(0).Color, s.File);

    line->NoRepaint = true;  // rows being rebuilt are not drawn
    EXPECT_FALSE(h.kit.List->PaintItem(0, box));
    line->NoRepaint = false;

    h.kit.Settings->ListStyle = 2;
    line->Layout();
    EXPECT_EQ(h.kit.List->Style, ui::ListStyle::OwnerDrawFixed);
    EXPECT_EQ(h.kit.List->ItemHeightAt(1), 24);
    EXPECT_EQ(h.kit.List->PaintItem(1, box).value().Runs.at(0).FontSize, 18);
}

TEST(RowDrawing, MenuRowsShowTheirValuesInTheRightThird) {
    Harness h;
    int32_t on = 1;
    int32_t pick = 0;
    std::vector<std::string> choices = {T("один"), T("два")};
    TMenuBlock block;
    block.AddEntry(T("Звук"), etSwitch).IntValue = &on;
    block.AddEntry(T("Выход"), etCommand);
    block.AddEntry(T("Дальше"), etSubmenu);
    TMenuEntry& choice = block.AddEntry(T("Число"), etChoice);
    choice.Choices = &choices;
    choice.IntValue = &pick;
    auto menu = h.MakeList<TMenuLine>();
    menu->OpenBlock(block);
    const TSpLinePropBag& s = *h.kit.Settings;
    const ui::Rect box{0, 0, 300, 30};
    auto paint = [&](int row) { return h.kit.List->PaintItem(row, box).value(); };

    ui::ItemPaint row = paint(0);
    ASSERT_EQ(row.Runs.size(), 2u);
    EXPECT_EQ(row.Runs[0].Color, s.File);
    EXPECT_EQ(base::Cp1251ToUtf8(row.Runs[1].Text), "Да");
    EXPECT_EQ(row.Runs[1].Box.Left, 200);
    EXPECT_EQ(row.Runs[1].Color, s.Mark);
    EXPECT_EQ(paint(1).Runs.size(), 1u);
    EXPECT_EQ(paint(1).Runs[0].Color, ui::kYellow);  // commands and actions
    EXPECT_EQ(paint(2).Runs[0].Color, s.File);
    EXPECT_EQ(base::Cp1251ToUtf8(paint(3).Runs.at(1).Text), "один");

    menu->Current = 0;
    menu->SelectCurrent(false);
    on = 0;
    row = paint(0);
    EXPECT_EQ(row.Runs[0].Color, s.CursorFont);
    EXPECT_EQ(base::Cp1251ToUtf8(row.Runs[1].Text), "Нет");
    EXPECT_EQ(row.Runs[1].Color, s.Mark);

    menu->Current = 3;
    menu->SelectCurrent(true);
    menu->Choose('\r');  // the choices: plain rows without values
    EXPECT_EQ(paint(1).Runs.size(), 1u);
    EXPECT_EQ(paint(1).Runs[0].Color, s.File);
}

}  // namespace
}  // namespace velmora::talkui::test
