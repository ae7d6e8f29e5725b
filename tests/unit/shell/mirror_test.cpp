// The menu mirror: what the player can act on, as a front end shows it for a
// screen reader, followed through play, and entries chosen by their place.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/encoding.h"
#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

Event Choose(int row) {
    Event e = Event::Of(Event::Kind::ChooseRow);
    e.row = row;
    return e;
}

Event Space(Event::Kind kind) {
    Event e = Event::Of(kind);
    e.key = ui::vk::Space;
    return e;
}

struct Shown {
    MenuMirror::Kind kind;
    std::string title;
    std::vector<std::string> entries;  // UTF-8
    int active;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
    out << static_cast<int>(s.kind) << " '" << s.title << "' [";
    for (const std::string& e : s.entries) out << e << "; ";
    return out << "] " << s.active;
}

Shown ShownBy(TForm1& form) {
    const MenuMirror m = form.Mirror();
    Shown s{m.kind, base::Cp1251ToUtf8(m.title), {}, m.active};
    for (const std::string& e : m.entries) s.entries.push_back(base::Cp1251ToUtf8(e));
    return s;
}

TEST(MenuMirror, FollowsThePlayAndChoosesByPlace) {
    using K = MenuMirror::Kind;
    ShellFixture f("anykey");
    f.Play();
    const Shown actions = ShownBy(*f.form);
    ASSERT_EQ(actions.kind, K::Menu);
    ASSERT_GE(actions.entries.size(), 3u);
    EXPECT_EQ(actions.entries[2].rfind("Осмотреть", 0), 0u) << actions;

    struct Step {
        const char* what;
        std::vector<Event> events;
        Shown shown;
        const char* heardLast;  // null: nothing more heard
    };
    const std::vector<Step> steps = {
        {"a row past the end chooses nothing", {Choose(40), Choose(-1)}, actions, nullptr},
        {"examine, chosen by its place as a double click chooses it", {Choose(2)},
         {K::Menu, "", {"камень", "ключ"}, -1}, "2 предмета"},
        // The stone's script waits for a key: an entry chosen meanwhile does
        // nothing (the key ends the wait), and the action menu is back after it.
        {"an entry chosen during a wait does nothing",
         {Choose(0), Choose(1), Space(Event::Kind::KeyDown), Space(Event::Kind::KeyUp)},
         {K::Menu, "", actions.entries, 2}, "Ничего интересного."},
    };
    for (const Step& step : steps) {
        const size_t before = f.heard.size();
        for (const Event& e : step.events) f.events.queue.push_back(e);
        f.Play();
        EXPECT_EQ(ShownBy(*f.form), step.shown) << step.what;
        if (step.heardLast) {
            ASSERT_GT(f.heard.size(), before) << step.what;
            EXPECT_EQ(f.heard.back(), step.heardLast) << step.what << "\n" << f.Heard();
        } else {
            EXPECT_EQ(f.heard.size(), before) << step.what << "\n" << f.Heard();
        }
    }
    EXPECT_EQ(f.Count("Ничего интересного."), 1) << f.Heard();
    EXPECT_EQ(f.Count("ключ."), 0) << f.Heard();

    // The main menu: its lines, the cursor on the first; choosing the first
    // starts a new game.
    f.form->ShowPictureScreen("menu", base::Utf8ToCp1251("Главное меню"));
    EXPECT_EQ(ShownBy(*f.form), (Shown{K::Menu, "Главное меню", {"Новая игра", "Выход"}, 0}));
    f.events.queue.push_back(Choose(0));
    f.Play();
    EXPECT_EQ(f.form->View(), vmGame);
    EXPECT_TRUE(f.heard.back().ends_with("Ты у ворот.")) << f.Heard();
}

}  // namespace
}  // namespace velmora::shell::test
