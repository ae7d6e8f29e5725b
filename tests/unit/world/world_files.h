// Small helpers for writing project and state files in tests.
#pragma once

#include <initializer_list>
#include <string>

#include "base/encoding.h"
#include "world/game_project.h"
#include "world/key_lines.h"
#include "unit/test_folder.h"

namespace velmora::test {

// Lines joined with CR LF, as a plain key-line file.
inline std::string PlainFile(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// Russian text in the game's code page.
inline std::string Ru(const std::string& utf8) { return base::Utf8ToCp1251(utf8); }

// A game root holding a project in Projects/Test and a GameProject bound to it.
struct ProjectFixture {
    TestFolder root;
    world::GameProject gp;

    ProjectFixture() {
        gp.folders.program = root.path();
        gp.folders.state = root.path();
        gp.folders.projectPath = "Projects\\Test\\";
    }
    void WriteProject(const std::string& relative, const std::string& text) const {
        root.Write("Projects/Test/" + relative, text);
    }
    // The plain text of a written (scrambled) file under the root.
    std::string PlainOf(const std::string& relative) const {
        return world::PlainKeyLines(root.Read(relative));
    }
};

}  // namespace velmora::test
