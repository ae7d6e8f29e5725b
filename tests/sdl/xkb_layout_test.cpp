#include "frontend/sdl/xkb_layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "base/encoding.h"
#include "xkb_lock_group.h"

namespace velmora::frontend {
namespace {

// An XKB state the test sets; the layout object only borrows it.
struct FakeState {
    int group = 0;
    std::map<int, std::string> names;
};

class FakeSource : public XkbSource {
  public:
    explicit FakeSource(FakeState& s) : s_(s) {}
    int CurrentGroup() override { return s_.group; }
    std::string GroupName(int g) override {
        auto it = s_.names.find(g);
        return it == s_.names.end() ? std::string() : it->second;
    }

  private:
    FakeState& s_;
};

TEST(XkbLayout, GroupNamesAsWindowsLayouts) {
    const std::pair<const char*, const char*> cases[] = {
        {"English (US)", "00000409"},
        {"English (UK)", "00000409"},
        {"English (Dvorak)", "00000409"},
        {"english", "00000409"},
        {"us", "00000409"},
        {"gb", "00000409"},
        {"Russian", "00000419"},
        {"Russian (phonetic)", "00000419"},
        {"ru", "00000419"},
        {"Ukrainian", "00000422"},
        {"German", "00000407"},
        {"Klingon", "00000000"},
        // "Russian" holds "us"; a bare "US" inside another name is no English.
        {"Belarusian", "00000423"},
        {"Usbek", "00000000"},
        {"", "00000000"},
    };
    for (const auto& [name, layout] : cases) EXPECT_EQ(LayoutForGroupName(name), layout) << name;
}

TEST(XkbLayout, SwitchingGroupsChangesTheName) {
    FakeState state;
    state.names = {{0, "English (US)"}, {1, "Russian"}, {2, "Klingon"}};
    KeyboardLayoutName layout(std::make_unique<FakeSource>(state));
    EXPECT_EQ(layout.Current(), "00000409");
    state.group = 1;
    EXPECT_EQ(layout.Current(), "00000419");
    // Letters typed do not outvote the X server.
    layout.Typed("abc");
    EXPECT_EQ(layout.Current(), "00000419");
    state.group = 2;
    EXPECT_EQ(layout.Current(), "00000000");
    state.group = 0;
    EXPECT_EQ(layout.Current(), "00000409");
}

TEST(XkbLayout, AnUnreadableServerFallsBackToTheLastLetter) {
    FakeState state;
    state.names = {{0, "English (US)"}};
    KeyboardLayoutName layout(std::make_unique<FakeSource>(state));
    state.group = -1;  // the state cannot be read
    EXPECT_EQ(layout.Current(), "00000419");
    layout.Typed("q");
    EXPECT_EQ(layout.Current(), "00000409");
    state.group = 3;  // a group without a name
    layout.Typed(base::Utf8ToCp1251("й"));
    EXPECT_EQ(layout.Current(), "00000419");
}

TEST(XkbLayout, LastLetterDecidesWithoutX11) {
    KeyboardLayoutName layout(nullptr);
    EXPECT_EQ(layout.Current(), "00000419");  // before any letter
    layout.Typed("w");
    EXPECT_EQ(layout.Current(), "00000409");
    layout.Typed("1 ,.!?\r");  // not letters: no change
    EXPECT_EQ(layout.Current(), "00000409");
    layout.Typed(base::Utf8ToCp1251("ц"));
    EXPECT_EQ(layout.Current(), "00000419");
    layout.Typed("Z");
    EXPECT_EQ(layout.Current(), "00000409");
    // Ё, ё and the other Cyrillic letters of the code page count as Cyrillic.
    for (const char* letter : {"Ё", "ё", "і", "ї", "ў", "Я", "я"}) {
        layout.Typed("x");
        layout.Typed(base::Utf8ToCp1251(letter));
        EXPECT_EQ(layout.Current(), "00000419") << letter;
    }
    // The last letter of a text counts.
    layout.Typed(base::Utf8ToCp1251("жa"));
    EXPECT_EQ(layout.Current(), "00000409");
    // Punctuation of the upper half of 1251 is no letter.
    layout.Typed(base::Utf8ToCp1251("«»—№"));
    EXPECT_EQ(layout.Current(), "00000409");
}

TEST(XkbLayout, NoDisplayNoSource) {
    EXPECT_EQ(X11XkbSource::Open(":4711"), nullptr);
}

// A real X server (Xvfb, started by check_xkb_xvfb.sh with layouts us,ru):
// the groups switched as a user's layout switch does.
TEST(XkbLayoutXServer, SwitchingTheServersGroup) {
    const char* display = std::getenv("VELMORA_XKB_TEST_DISPLAY");
    if (display == nullptr) GTEST_SKIP() << "no test X server";
    auto source = X11XkbSource::Open(display);
    ASSERT_NE(source, nullptr);
    for (int g = 0; g < 2; ++g) std::printf("group %d: \"%s\"\n", g, source->GroupName(g).c_str());
    KeyboardLayoutName layout(std::move(source));
    ASSERT_TRUE(LockXkbGroup(display, 0));
    EXPECT_EQ(layout.Current(), "00000409");
    ASSERT_TRUE(LockXkbGroup(display, 1));
    EXPECT_EQ(layout.Current(), "00000419");
    ASSERT_TRUE(LockXkbGroup(display, 0));
    EXPECT_EQ(layout.Current(), "00000409");
}

}  // namespace
}  // namespace velmora::frontend
