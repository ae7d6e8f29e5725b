// The guide's tables of statements, conditions and keys, made from the tables
// the game and the checker read scripts and files with, so that the guide
// cannot say what the program does not do.
//   velmora-guide-reference NOTES REFERENCE          the reference, regenerated, to stdout
//   velmora-guide-reference --check NOTES REFERENCE  exit 1 when REFERENCE differs
//   velmora-guide-reference --write NOTES REFERENCE  REFERENCE rewritten in place
// NOTES holds the explanation of each name, one a line: "statement.show: …",
// "condition.done: …", "key.Scr.Title: …" ("key.Obj.Visible!: …" marks a key
// a working game needs).
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "rules/script_syntax.h"
#include "world/key_access.h"
#include "world/transfer.h"

using namespace velmora;

namespace {

struct Note {
    std::string text;
    bool needed = false;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot be read");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::map<std::string, Note> ReadNotes(const std::string& path) {
    std::map<std::string, Note> notes;
    std::istringstream in(ReadFile(path));
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.empty() || line[0] == '#') continue;
        const size_t colon = line.find(": ");
        if (colon == std::string::npos) {
            throw std::runtime_error(path + ":" + std::to_string(n) + ": no \"name: text\"");
        }
        std::string name = line.substr(0, colon);
        Note note{line.substr(colon + 2)};
        if (name.ends_with("!")) {
            name.pop_back();
            note.needed = true;
        }
        if (!notes.emplace(name, note).second) {
            throw std::runtime_error(path + ":" + std::to_string(n) + ": " + name + " twice");
        }
    }
    return notes;
}

// Every name looked up is struck off; what is left names nothing in the tables.
class Notes {
  public:
    explicit Notes(std::map<std::string, Note> notes) : notes_(std::move(notes)) {}
    const Note& Of(const std::string& name) {
        auto it = notes_.find(name);
        if (it == notes_.end()) {
            missing_.push_back(name);
            static const Note none{};
            return none;
        }
        used_.insert(name);
        return it->second;
    }
    // The problems, one a line; empty when every name has one note and every note a name.
    std::string Problems() const {
        std::string out;
        for (const std::string& name : missing_) out += "no explanation for " + name + "\n";
        for (const auto& [name, note] : notes_) {
            if (!used_.contains(name)) out += "explanation of " + name + " names nothing in the tables\n";
        }
        return out;
    }

  private:
    std::map<std::string, Note> notes_;
    std::set<std::string> used_;
    std::vector<std::string> missing_;
};

const char* ArgName(rules::ArgKind kind) {
    switch (kind) {
        case rules::ArgKind::Object: return "предмет";
        case rules::ArgKind::Number: return "N";
        case rules::ArgKind::Direction: return "направление";
        case rules::ArgKind::Screen: return "экран";
        case rules::ArgKind::Text: return "текст";
        case rules::ArgKind::Statement: return "оператор";
    }
    return "?";
}

// "show предмет", "die [число [число]]": arguments past the required ones may be left out.
std::string Usage(const std::string& keyword, const std::vector<rules::ArgKind>& args,
                  size_t required) {
    std::string usage = "`" + keyword;
    std::string closing;
    bool numbered = false;
    for (size_t i = 0; i < args.size(); ++i) {
        usage += i < required ? " " : " [";
        if (i >= required) closing += "]";
        // Two numbers are N and P, as the explanations call them.
        const bool number = args[i] == rules::ArgKind::Number;
        usage += number && numbered ? "P" : ArgName(args[i]);
        numbered = numbered || number;
    }
    return usage + closing + "`";
}

std::string Statements(Notes& notes) {
    std::string out =
        "| Оператор | Если предмета или экрана нет | Что делает |\n"
        "|---|---|---|\n";
    for (const rules::StatementForm& f : rules::StatementForms()) {
        const char* missing = f.needs == rules::Needs::Object   ? "ничего не делает"
                              : f.needs == rules::Needs::Screen ? "без экрана ничего не делает"
                                                                : "—";
        out += "| " + Usage(f.keyword, f.args, f.required) + " | " + missing + " | " +
               notes.Of(std::string("statement.") + f.keyword).text + " |\n";
    }
    return out;
}

std::string Conditions(Notes& notes) {
    std::string out = "| Условие | Истинно, когда |\n|---|---|\n";
    for (const rules::ConditionForm& f : rules::ConditionForms()) {
        out += "| " + Usage(f.keyword, f.args, f.required) + " | " +
               notes.Of(std::string("condition.") + f.keyword).text + " |\n";
    }
    return out;
}

// A key as the files write it, its section's digits left out: "Scr", "Title".
struct KeyRow {
    std::string key;
    std::string written;  // the value a record read from a file without the key writes back
};

// The keys of each section in file order, from a map and a game section read
// from files that hold nothing but one record of each kind: every key then
// takes what a missing key reads as.
std::map<std::string, std::vector<KeyRow>> ProjectKeys(std::set<std::string>& saved) {
    std::map<std::string, std::vector<KeyRow>> sections;
    world::MMap map;
    world::MGame game;
    world::RuleVariables vars;
    {
        world::TMyIniList empty =
            world::TMyIniList::FromText("MapScrCount=1\r\nMapObjCount=1\r\nMapCmdCount=1\r\n");
        world::KeyAccessor read(empty, false, "map1.ini");
        world::TransferMapFile(map, vars, read, false);
        world::TMyIniList nothing;
        world::KeyAccessor readGame(nothing, false, "game.ini");
        readGame.currentSection = "Game";
        world::TransferGameSection(game, readGame);
    }
    // "MapTitle" is section Map, key Title; "Scr0Title" is section Scr, key Title.
    auto split = [](std::string_view name) {
        for (const char* word : {"Map", "Game"}) {
            if (name.starts_with(word)) {
                return std::pair{std::string(word), std::string(name.substr(std::string_view(word).size()))};
            }
        }
        size_t i = 0;
        while (i < name.size() && !(name[i] >= '0' && name[i] <= '9')) ++i;
        std::string section(name.substr(0, i));
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
        return std::pair{section, std::string(name.substr(i))};
    };
    // The header's own keys from a map file that holds nothing at all (its
    // counts then read as 0 too).
    {
        world::MMap header;
        world::TMyIniList nothing;
        world::KeyAccessor read(nothing, false, "map1.ini");
        world::TransferMapFile(header, vars, read, false);
        world::TMyIniList lines;
        world::KeyAccessor keys(lines, true, "");
        world::TransferMapFile(header, vars, keys, false);
        for (size_t i = 0; i < lines.LineCount(); ++i) {
            const std::string_view line = lines.Line(i);
            const size_t eq = line.find('=');
            if (!line.starts_with("Map")) continue;
            sections["Map"].push_back({std::string(line.substr(3, eq - 3)), std::string(line.substr(eq + 1))});
        }
    }
    for (bool stateOnly : {false, true}) {
        world::TMyIniList lines;
        world::KeyAccessor keys(lines, true, "");
        world::TransferMapFile(map, vars, keys, stateOnly);
        if (!stateOnly) {
            keys.currentSection = "Game";
            world::TransferGameSection(game, keys);
        }
        for (size_t i = 0; i < lines.LineCount(); ++i) {
            const std::string_view line = lines.Line(i);
            const size_t eq = line.find('=');
            auto [section, key] = split(line.substr(0, eq));
            if (stateOnly) {
                saved.insert(section + "." + key);
            } else if (section != "Map") {
                sections[section].push_back({key, std::string(line.substr(eq + 1))});
            }
        }
    }
    return sections;
}

std::string KeyTable(const std::string& section, const std::vector<KeyRow>& rows,
                     const std::set<std::string>& saved, Notes& notes) {
    std::string out =
        "| Ключ | Тип | Если строки нет | Нужен | В сохранении | Смысл |\n"
        "|---|---|---|---|---|---|\n";
    for (const KeyRow& row : rows) {
        // The counts of records are the map's own: the sections follow them.
        std::string shown, type, missing;
        std::string name = row.key;
        if (row.key.ends_with("Cnt") && section != "Map") {
            name = row.key.substr(0, row.key.size() - 3);
            shown = "`" + row.key + "`, `" + name + "0`…";
            type = "список текстов";
            missing = "пустой список";
        } else if (row.written.empty()) {
            shown = "`" + row.key + "`";
            type = "текст";
            missing = "пустой текст";
        } else {
            shown = "`" + row.key + "`";
            type = "число";
            missing = row.written;
        }
        const Note& note = notes.Of("key." + section + "." + name);
        out += "| " + shown + " | " + type + " | " + missing + " | " + (note.needed ? "да" : "") +
               " | " + (saved.contains(section + "." + row.key) ? "да" : "") + " | " + note.text +
               " |\n";
    }
    return out;
}

std::map<std::string, std::string> Blocks(Notes& notes) {
    std::map<std::string, std::string> blocks;
    blocks["statements"] = Statements(notes);
    blocks["conditions"] = Conditions(notes);
    std::set<std::string> saved;
    const auto sections = ProjectKeys(saved);
    const std::pair<const char*, const char*> names[] = {
        {"Game", "keys-game"}, {"Map", "keys-map"},    {"Scr", "keys-screen"},
        {"Obj", "keys-object"}, {"Cmd", "keys-command"}};
    for (const auto& [section, block] : names) {
        auto it = sections.find(section);
        if (it == sections.end()) throw std::runtime_error(std::string("no keys of ") + section);
        blocks[block] = KeyTable(section, it->second, saved, notes);
    }
    if (sections.size() != std::size(names)) throw std::runtime_error("a section of keys the guide does not list");
    return blocks;
}

// The reference with every "<!-- generated: NAME -->" … "<!-- end -->" block
// filled anew; each block the tables make must stand there once.
std::string Splice(const std::string& text, const std::map<std::string, std::string>& blocks) {
    const std::string open = "<!-- generated: ";
    const std::string close = "<!-- end -->";
    std::string out;
    std::set<std::string> seen;
    size_t at = 0;
    for (size_t start; (start = text.find(open, at)) != std::string::npos;) {
        const size_t nameEnd = text.find(" -->", start);
        const size_t end = text.find(close, start);
        if (nameEnd == std::string::npos || end == std::string::npos) {
            throw std::runtime_error("a generated block without its end");
        }
        const std::string name = text.substr(start + open.size(), nameEnd - start - open.size());
        auto it = blocks.find(name);
        if (it == blocks.end()) throw std::runtime_error("no table makes the block " + name);
        if (!seen.insert(name).second) throw std::runtime_error("the block " + name + " twice");
        out += text.substr(at, nameEnd + 4 - at) + "\n" + it->second;
        at = end;
    }
    out += text.substr(at);
    for (const auto& [name, table] : blocks) {
        if (!seen.contains(name)) throw std::runtime_error("the reference has no block " + name);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode;
    int first = 1;
    if (argc == 4) {
        mode = argv[1];
        first = 2;
    }
    if (argc - first != 2 || (!mode.empty() && mode != "--check" && mode != "--write")) {
        std::cerr << "usage: velmora-guide-reference [--check|--write] NOTES REFERENCE\n";
        return 2;
    }
    const std::string notesPath = argv[first];
    const std::string referencePath = argv[first + 1];
    try {
        Notes notes(ReadNotes(notesPath));
        const auto blocks = Blocks(notes);
        if (const std::string problems = notes.Problems(); !problems.empty()) {
            std::cerr << notesPath << ":\n" << problems;
            return 1;
        }
        const std::string old = ReadFile(referencePath);
        const std::string made = Splice(old, blocks);
        if (mode == "--check") {
            if (made == old) return 0;
            std::cerr << referencePath
                      << ": the generated tables differ from what the program reads; regenerate "
                         "with\n  velmora-guide-reference --write "
                      << notesPath << " " << referencePath
                      << "\n(or: cmake --build build --target guide-reference)\n";
            return 1;
        }
        if (mode == "--write") {
            if (made != old) {
                std::ofstream out(referencePath, std::ios::binary | std::ios::trunc);
                out << made;
                if (!out.flush()) throw std::runtime_error(referencePath + ": cannot be written");
            }
            return 0;
        }
        std::cout << made;
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "velmora-guide-reference: " << e.what() << '\n';
        return 1;
    }
}
