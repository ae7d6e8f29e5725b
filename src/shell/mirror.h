// What the player can act on at this moment, for a front end that also shows
// it as elements of its own that a screen reader moves through and acts on
// (the web page's menu, read by touch as well as by keys).
#pragma once

#include <string>
#include <vector>

namespace velmora::shell {

struct MenuMirror {
    enum class Kind {
        None,     // nothing to act on (a page between its waits)
        Menu,     // entries to choose: ChooseRow(n) chooses entry n
        Wait,     // a wait that any key ends
        Reading,  // the instructions: entries are the lines, active the one read
        Edit,     // a value being typed: title is its text so far
    };
    Kind kind = Kind::None;
    std::string title;                 // code page 1251
    std::vector<std::string> entries;  // code page 1251
    int active = -1;                   // the entry under the cursor, -1 for none

    bool operator==(const MenuMirror&) const = default;
};

}  // namespace velmora::shell
