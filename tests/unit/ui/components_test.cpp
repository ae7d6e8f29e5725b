#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/edit.h"
#include "ui/form.h"
#include "ui/list_box.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"
#include "ui/text_measure.h"

namespace velmora::ui {
namespace {

void Press(Form& form, int key, char ch = 0, ShiftState shift = {}) {
    form.DeliverKeyDown(key, shift);
    if (ch != 0) form.DeliverKeyPress(ch);
    form.DeliverKeyUp(key, shift);
}

TEST(Components, FormSeesKeysFirstAndAConsumedKeyGoesNoFurther) {
    Form form("Form1");
    Edit edit("Edit1");
    edit.SetParent(&form);
    form.Focus(&edit);
    std::vector<std::string> order;
    form.OnKeyDown = [&](int& key, ShiftState) {
        order.push_back("form " + std::to_string(key));
        if (key == 'M') key = 0;
    };
    edit.OnKeyDown = [&](int& key, ShiftState) { order.push_back("edit " + std::to_string(key)); };
    form.OnKeyPress = [&](char& ch) {
        if (ch == 'm') ch = 0;
    };
    Press(form, 'M', 'm');
    Press(form, 'A', 'a');
    EXPECT_EQ(order, (std::vector<std::string>{"form 77", "form 65", "edit 65"}));
    EXPECT_EQ(edit.Text(), "a");  // the consumed character never reached the edit
}

TEST(Components, EditDefaultBehaviour) {
    Form form("Form1");
    Edit edit("Edit1");
    edit.SetParent(&form);
    form.Focus(&edit);
    edit.SetText("hello");
    edit.SelectAll();
    Press(form, 'X', 'x');  // replaces the selection
    EXPECT_EQ(edit.Text(), "x");
    Press(form, 'Y', 'y');
    Press(form, vk::Left);
    EXPECT_EQ(edit.SelStart(), 1);
    Press(form, vk::Back, 8);
    EXPECT_EQ(edit.Text(), "y");
    EXPECT_EQ(edit.SelStart(), 0);
    Press(form, vk::Back, 8);  // at the start: nothing to delete
    EXPECT_EQ(edit.Text(), "y");
    Press(form, vk::Delete);
    EXPECT_EQ(edit.Text(), "");

    edit.SetText("abc");
    edit.SetSel(1, 1);
    Press(form, vk::Right);  // a selection collapses to its far end
    EXPECT_EQ(edit.SelStart(), 2);
    EXPECT_EQ(edit.SelLength(), 0);
    Press(form, vk::Home, 0, ShiftState{.Shift = true});
    EXPECT_EQ(edit.SelText(), "ab");

    edit.ReadOnly = true;
    Press(form, 'Z', 'z');
    Press(form, vk::Delete);
    EXPECT_EQ(edit.Text(), "abc");
    Press(form, vk::End);  // the caret still moves
    EXPECT_EQ(edit.SelStart(), 3);

    // A consumed key leaves the text alone.
    edit.ReadOnly = false;
    edit.OnKeyPress = [](char& ch) { ch = 0; };
    Press(form, 'Q', 'q');
    EXPECT_EQ(edit.Text(), "abc");
}

TEST(Components, FocusMovesWithTabAndLeavesHiddenControls) {
    Form form("Form1");
    Panel panel("Panel");
    panel.SetParent(&form);
    Edit edit("Edit1");
    edit.SetParent(&panel);
    ListBox list("ListBox1");
    list.SetParent(&panel);
    RichEdit rich("RichEdit1");
    rich.SetParent(&form);
    int exits = 0;
    rich.OnExit = [&] { ++exits; };

    form.Focus(&rich);
    EXPECT_TRUE(rich.Focused());
    Press(form, vk::Tab, '\t');
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(edit.Focused());
    Press(form, vk::Tab, '\t');
    EXPECT_TRUE(list.Focused());

    panel.SetVisible(false);  // the focused list is inside
    EXPECT_EQ(form.ActiveControl(), nullptr);
    edit.SetFocus();  // cannot take the focus inside a hidden panel
    EXPECT_EQ(form.ActiveControl(), nullptr);
    panel.SetVisible(true);
    list.SetFocus();
    list.SetVisible(false);
    EXPECT_EQ(form.ActiveControl(), nullptr);
    {
        Edit gone("Gone");
        gone.SetParent(&form);
        form.Focus(&gone);
        EXPECT_EQ(form.ActiveControl(), &gone);
    }
    EXPECT_EQ(form.ActiveControl(), nullptr);
}

TEST(Components, AlignmentAnchorsAndResizeHooks) {
    Form form("Form1");
    Panel top("Top"), bottom("Bottom"), client("Client"), free("Free");
    for (Panel* p : {&top, &bottom, &client, &free}) p->SetParent(&form);
    top.SetHeight(50);
    top.SetAlign(Align::Top);
    bottom.SetHeight(30);
    bottom.SetAlign(Align::Bottom);
    client.SetAlign(Align::Client);
    free.Anchoring = Anchors{.Left = true, .Top = false, .Right = true, .Bottom = true};
    int resized = 0;
    client.OnResize = [&] { ++resized; };

    form.SetBounds(0, 0, 400, 200);
    EXPECT_EQ(top.Bounds(), (Rect{0, 0, 400, 50}));
    EXPECT_EQ(bottom.Bounds(), (Rect{0, 170, 400, 200}));
    EXPECT_EQ(client.Bounds(), (Rect{0, 50, 400, 170}));
    EXPECT_GE(resized, 1);

    free.SetBounds(10, 150, 100, 20);
    form.SetBounds(0, 0, 500, 300);  // the anchored panel keeps its distances
    EXPECT_EQ(free.Bounds(), (Rect{10, 250, 210, 270}));
    top.SetVisible(false);
    EXPECT_EQ(client.Bounds(), (Rect{0, 0, 500, 270}));
    // A bottom-aligned panel given a new height keeps to the bottom, and the
    // client panel takes what it leaves.
    bottom.SetHeight(100);
    EXPECT_EQ(bottom.Bounds(), (Rect{0, 200, 500, 300}));
    EXPECT_EQ(client.Bounds(), (Rect{0, 0, 500, 200}));
}

TEST(Components, ListBoxSelectionScrollingAndPainting) {
    ListBox list("ListBox1");
    list.SetBounds(0, 0, 100, 50);
    list.ItemHeight = 20;
    for (int i = 0; i < 5; ++i) list.Add("row" + std::to_string(i), i);
    list.SetItemIndex(7);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.SetItemIndex(4);
    EXPECT_EQ(list.TopIndex(), 3);  // rows 3 and 4 fit in 50 pixels
    list.SetItemIndex(1);
    EXPECT_EQ(list.TopIndex(), 1);
    ASSERT_EQ(list.VisibleRows().size(), 3u);
    EXPECT_EQ(list.VisibleRows()[2].second, (Rect{0, 40, 100, 60}));

    list.Style = ListStyle::OwnerDrawVariable;
    list.SetItemHeightAt(2, 35);
    EXPECT_EQ(list.ItemHeightAt(2), 35);
    EXPECT_EQ(list.ItemHeightAt(3), 20);
    list.OnDrawItem = [](int index, Rect box, bool selected) -> std::optional<ItemPaint> {
        if (index == 0) return std::nullopt;
        return ItemPaint{box, selected ? kWhite : kBlack, {{"drawn", box, kLime, 9}}};
    };
    EXPECT_FALSE(list.PaintItem(0, {}).has_value());
    EXPECT_EQ(list.PaintItem(1, {}).value().Background, kWhite);
    EXPECT_EQ(list.PaintItem(2, {}).value().Runs.at(0).Text, "drawn");

    int clicks = 0;
    list.OnClick = [&] { ++clicks; };
    list.Click(3);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.ItemIndex(), 3);
    list.Clear();
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_FALSE(list.PaintItem(0, {}).has_value());
}

TEST(Components, RichEditLinesAndEditing) {
    Form form("Form1");
    RichEdit rich("RichEdit1");
    rich.SetParent(&form);
    form.Focus(&rich);
    rich.SetLines({"first", "", "third"});
    EXPECT_EQ(rich.Text(), "first\r\n\r\nthird");
    EXPECT_EQ(rich.LineCount(), 3);
    EXPECT_EQ(rich.Line(2), "third");
    EXPECT_EQ(rich.Line(9), "");

    rich.SetSelStart(3);
    Press(form, vk::Down);  // the empty line: column clamps
    EXPECT_EQ(rich.SelStart(), 7);
    EXPECT_EQ(rich.CaretLine(), 1);
    Press(form, vk::Down);
    EXPECT_EQ(rich.SelStart(), 9);
    Press(form, vk::End);
    Press(form, vk::Return, '\r');
    Press(form, 'X', 'x');
    EXPECT_EQ(rich.Lines(), (std::vector<std::string>{"first", "", "third", "x"}));
    Press(form, vk::Back, 8);
    Press(form, vk::Back, 8);  // the line break goes as one
    EXPECT_EQ(rich.Text(), "first\r\n\r\nthird");
    rich.ScrollCaret();
    EXPECT_EQ(rich.ScrolledToLine(), 2);

    rich.ReadOnly = true;
    Press(form, 'Y', 'y');
    EXPECT_EQ(rich.Text(), "first\r\n\r\nthird");
    rich.Clear();
    rich.AddLine("a");
    rich.AddLine("b");
    EXPECT_EQ(rich.Lines(), (std::vector<std::string>{"a", "b"}));
}

TEST(Components, FixedMeasureIsPointsAtNinetySixDots) {
    FontInfo font;
    font.Size = 18;
    EXPECT_EQ(DefaultTextMeasure().TextHeight(font, "1"), 24);
    font.Size = 38;
    EXPECT_EQ(DefaultTextMeasure().TextHeight(font, "1"), 51);
}

}  // namespace
}  // namespace velmora::ui
