// velmora-tool: the adventure authors' tools.
//   velmora-tool scramble FILE     the file's bytes scrambled, to standard output
//   velmora-tool unscramble FILE   the file's plain bytes, to standard output
//   velmora-tool info DIR          what the project in DIR holds
//   velmora-tool check [--strict] [--allow KIND]... [--media DIR] [--walk KEYS [--nomenu]] DIR
//                                  every problem of the project in DIR, one a line
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "base/encoding.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "check/check.h"
#include "check/files.h"
#include "check/walk.h"
#include "world/game_files.h"
#include "world/key_lines.h"
#include "world/link.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr const char* kUsage =
    "usage: velmora-tool scramble FILE\n"
    "       velmora-tool unscramble FILE\n"
    "       velmora-tool info DIR\n"
    "       velmora-tool check [--strict] [--allow KIND]... [--media DIR] [--walk KEYS [--nomenu]] "
    "DIR\n";

int Usage() {
    std::cerr << kUsage;
    return 2;
}

int Help() {
    std::cout
        << kUsage
        << "\n"
           "  scramble FILE    the file's bytes scrambled, to standard output\n"
           "  unscramble FILE  the file's plain bytes, to standard output\n"
           "  info DIR         title, author and the size of every map of the project\n"
           "  check DIR        reads the project as the game does and prints every problem,\n"
           "                   one a line: \"error: FILE:KEY: problem\" when the game would\n"
           "                   break, \"warning: ...\" when it allows what an author may not\n"
           "                   mean, its kind in brackets; then a summary. Exits 1 when\n"
           "                   there is an error, 2 when DIR is not a project.\n"
           "    --strict       warnings count as errors, but for the kinds allowed\n"
           "    --allow KIND   with --strict, warnings of this kind pass; kinds:\n"
           "                   no-music, no-picture, no-sound, no-menu (files the game\n"
           "                   goes without), does-nothing (lines the game runs as\n"
           "                   nothing), dead-end (what may strand a player),\n"
           "                   unreachable, keys, file, other\n"
           "    --media DIR    the program's Media folder, where sounds are looked for\n"
           "                   after the project's Snd (default: Media beside Projects,\n"
           "                   or in DIR when the project is a program folder itself)\n"
           "    --walk KEYS    then plays the key script KEYS (as velmora --keys) on the\n"
           "                   project headless: an error unless it reaches the ending's\n"
           "                   exit, one for each error the game spoke or action it\n"
           "                   stopped, a warning (refusal) for each standard refusal heard\n"
           "    --nomenu       the walk starts in the game (so does a script whose first\n"
           "                   comment is \"# args: -nomenu\")\n";
    return 0;
}

int Check(int argc, char** argv) {
    bool strict = false;
    std::set<std::string> allowed;
    fs::path media;
    fs::path walk;
    bool nomenu = false;
    fs::path dir;
    bool haveDir = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--strict") {
            strict = true;
        } else if (a == "--allow" && i + 1 < argc) {
            const std::string kind = argv[++i];
            const auto& kinds = check::WarningKinds();
            if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) {
                std::cerr << "error: --allow " << kind << ": no such kind of warning\n";
                return Usage();
            }
            allowed.insert(kind);
        } else if (a == "--walk" && i + 1 < argc) {
            walk = argv[++i];
        } else if (a == "--nomenu") {
            nomenu = true;
        } else if (a == "--media" && i + 1 < argc) {
            media = argv[++i];
        } else if (!haveDir && !a.starts_with("--")) {
            dir = a;
            haveDir = true;
        } else {
            return Usage();
        }
    }
    if (!haveDir) return Usage();
    // A folder that is not a project is a wrong command line, not a broken game.
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        std::cerr << "error: " << base::DisplayPath(dir) << ": нет такой папки\n";
        return 2;
    }
    if (!check::FindAnyEntry(dir, "game.ini")) {
        std::cerr << "error: " << base::DisplayPath(dir)
                  << ": no game.ini here; a project is a folder under Projects/ of a game\n";
        return 2;
    }
    check::Report report;
    check::CheckProject(dir, report, media);
    if (!walk.empty() && check::Walk(dir, walk, nomenu, report)) {
        std::cout << "walk: " << base::DisplayPath(walk) << ": дошёл до конца игры\n";
    }
    report.Print(std::cout);
    return report.Failed(strict, allowed) ? 1 : 0;
}

void WriteOut(const std::string& bytes) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
}

int Info(const fs::path& dir) {
    world::GameProject gp;
    gp.folders.program = dir;
    gp.folders.state = dir;
    const std::vector<int32_t> maps = check::MapNumbers(dir);
    bool first = true;
    std::vector<std::string> lines;
    for (int32_t k : maps.empty() ? std::vector<int32_t>{1} : maps) {
        gp.map.mapIndex = k - 1;
        if (!world::LoadProject(gp)) {
            throw base::FileError(base::DisplayPath(dir / "game.ini"), "нет такого файла");
        }
        if (!world::LinkWorld(gp.map, gp.hero)) {
            std::cerr << "warning: map" << k << ".ini: the screens' coordinates span "
                      << gp.map.gridWidth << " x " << gp.map.gridHeight << " cells, more than "
                      << world::kMaxGridCells << "; exits through the grid lead nowhere\n";
        }
        if (first) {
            lines.push_back("title: " + base::Cp1251ToUtf8(gp.map.Title));
            lines.push_back("author: " + base::Cp1251ToUtf8(gp.map.Author));
            first = false;
        }
        if (maps.empty()) break;
        lines.push_back(
            "map " + std::to_string(k) + ": screens " + std::to_string(gp.map.screens.size()) +
            ", objects " + std::to_string(gp.map.objects.size()) + ", commands " +
            std::to_string(gp.map.commands.size()) + ", grid " + std::to_string(gp.map.gridWidth) +
            " x " + std::to_string(gp.map.gridHeight));
    }
    for (const std::string& line : lines) std::cout << line << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h"))
        return Help();
    if (argc >= 3 && std::string(argv[1]) == "check") {
        try {
            return Check(argc, argv);
        } catch (const std::exception& e) {
            // The checker reports what it meets; this is only what it could not survive.
            std::cerr << "error: " << e.what() << '\n';
            return 1;
        }
    }
    if (argc != 3) return Usage();
    const std::string verb = argv[1];
    const fs::path arg = argv[2];
    try {
        if (verb == "scramble") {
            const std::string bytes = base::ReadWholeFile(arg);
            WriteOut(world::IsPlainKeyLines(bytes) ? world::Scramble(bytes) : bytes);
        } else if (verb == "unscramble") {
            const std::string bytes = base::ReadWholeFile(arg);
            WriteOut(world::IsPlainKeyLines(bytes) ? bytes : world::Scramble(bytes));
        } else if (verb == "info") {
            return Info(arg);
        } else {
            return Usage();
        }
    } catch (const base::FileError& e) {
        std::cerr << "error: " << e.file() << ": " << e.problem() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "error: " << arg.string() << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
