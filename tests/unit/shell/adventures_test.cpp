// Which adventure a start plays, by main.ini's [Proj] Current (as the main
// menu's chooser writes it) and --project, and where its saves go: the
// adventure that ships keeps the saves of old, every other its own folder.
#include <gtest/gtest.h>

#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

namespace fs = std::filesystem;

void WriteAdventure(const velmora::test::TestFolder& root, const std::string& folder,
                    const std::string& first) {
    root.Write(folder + "/game.ini", KeyLines({"GameInitHealth=10"}));
    root.Write(folder + "/map1.ini",
               KeyLines({"MapFirstMessage=" + first, "MapScrCount=1", "Scr0no=0", "Scr0Title=Поле",
                         "Scr0North=-2", "Scr0South=-2", "Scr0East=-2", "Scr0West=-2"}));
}

TEST(Adventures, CurrentAndProjectChooseTheAdventureAndItsSaves) {
    struct Case {
        const char* what;
        std::string current;      // main.ini's [Proj] Current ("@" stands for the root)
        std::string project;      // --project's folder under the root; "" for none
        std::string heard;        // the first message of the adventure played
        std::string saves;        // the saves' folder under the root
    };
    const std::vector<Case> cases = {
        {"none named", "", "", "Ты у ворот.", ""},
        {"the shipped one by name", "Projects\\DEFAULT", "", "Ты у ворот.", ""},
        {"a project of Projects", "Projects\\Лес", "", "Ты в лесу.", "ProjectSaves/Лес"},
        {"a folder anywhere", "@/Elsewhere/Far", "", "Ты далеко.", "ProjectSaves/Far"},
        {"a folder that holds no project", "Projects\\Missing", "", "Ты у ворот.", ""},
        {"--project wins for the run", "Projects\\Лес", "Elsewhere/Far", "Ты далеко.",
         "ProjectSaves/Far"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShellFixture f("");
        WriteAdventure(f.root, "Projects/Лес", "Ты в лесу.");
        WriteAdventure(f.root, "Elsewhere/Far", "Ты далеко.");
        std::string current = c.current;
        if (current.starts_with("@")) current = f.root.path().string() + current.substr(1);
        f.root.Write("main.ini", Ru("[Proj]\r\nCurrent=" + current + "\r\n"));
        if (!c.project.empty()) f.project = ProjectChoice{f.root.path() / c.project, ""};
        f.Play();
        EXPECT_EQ(f.Count(c.heard), 1) << f.Heard();
        const fs::path saves = c.saves.empty() ? f.root.path() : f.root.path() / fs::u8path(c.saves);
        EXPECT_EQ(f.form->Project().folders.state, saves);
        // The fallback is not written back, and nothing but a choice writes it.
        EXPECT_EQ(f.root.Read("main.ini"), Ru("[Proj]\r\nCurrent=" + current + "\r\n"));
    }
}

}  // namespace
}  // namespace velmora::shell::test
