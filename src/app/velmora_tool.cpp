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
#include "base/project_file.h"
#include "base/paths.h"
#include "base/terminal_text.h"
#include "check/check.h"
#include "check/files.h"
#include "check/walk.h"
#include "world/game_files.h"
#include "world/key_lines.h"
#include "world/link.h"
#include "app/tool_commands.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr const char* kUsage =
    "usage: velmora-tool scramble FILE\n"
    "       velmora-tool unscramble FILE\n"
    "       velmora-tool info DIR\n"
    "       velmora-tool check [--strict] [--allow KIND]... [--media DIR] [--walk KEYS [--nomenu]] "
    "DIR\n"
    "       velmora-tool new DIR\n"
    "       velmora-tool pack DIR [ZIP]\n"
    "       velmora-tool web [--page SITE] DIR OUT\n"
    "       velmora-tool -h | --help | --version\n";

// A wrong command line, status 2: the usage, or one line naming the problem.
int Usage(const std::string& problem = "") {
    if (problem.empty()) {
        std::cerr << kUsage;
    } else {
        std::cerr << "velmora-tool: " << problem << "; try 'velmora-tool --help'\n";
    }
    return 2;
}

// A file or folder named in a message: its name may come from a project.
std::string Shown(const fs::path& path) { return base::TerminalSafe(base::DisplayPath(path)); }

// A file the reader refused, said on one line; returns status.
int Failed(const base::FileError& e, int status) {
    std::cerr << "velmora-tool: " << base::TerminalSafe(e.file()) << ": "
              << base::TerminalSafe(e.problem()) << '\n';
    return status;
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
           "                   comment is \"# args: -nomenu\")\n"
           "  new DIR          writes a commented starter project into DIR (new or empty):\n"
           "                   two screens, an object, a command, its pictures and tunes,\n"
           "                   and walkthrough.keys, which wins it; prints the walkthrough\n"
           "  pack DIR [ZIP]   checks the project (errors stop it) and writes ZIP (default\n"
           "                   NAME.zip here, NAME the folder's name) holding the folder\n"
           "                   NAME/ with every file but dot files and links; the same\n"
           "                   project gives the same bytes\n"
           "  web DIR OUT      checks the project and writes OUT, a static site whose page\n"
           "                   plays it (its zip beside index.html, its MIDI rendered to MP3\n"
           "                   with fluidsynth and lame when they are installed); needs the\n"
           "                   built page: share/velmora/web beside the program, or\n"
           "                   build-web/site of the source checkout, or --page SITE\n";
    return 0;
}

// Status 2 and the problem said when DIR is no project folder (a wrong
// command line, not a broken game); else 0.
int NotAProject(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        std::cerr << "velmora-tool: " << Shown(dir) << ": no such folder\n";
        return 2;
    }
    if (!check::FindAnyEntry(dir, "game.ini")) {
        std::cerr << "velmora-tool: " << Shown(dir)
                  << ": no game.ini here; a project is a folder under Projects/ of a game\n";
        return 2;
    }
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
                std::string why = "--allow ";
                return Usage(why.append(base::TerminalSafe(kind)).append(": no such kind of warning"));
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
        } else if (a == "--allow" || a == "--walk" || a == "--media") {
            std::string why = a;
            return Usage(why.append(" needs a value"));
        } else if (a.starts_with("-")) {
            std::string why = "unknown option ";
            return Usage(why.append(base::TerminalSafe(a)));
        } else {
            std::string why = "one project folder at a time: '";
            return Usage(why.append(base::TerminalSafe(a)).append("'"));
        }
    }
    if (!haveDir) return Usage("check needs a project folder");
    if (const int status = NotAProject(dir)) return status;
    check::Report report;
    check::CheckProject(dir, report, media);
    if (!walk.empty() && check::Walk(dir, walk, nomenu, report)) {
        std::cout << "walk: " << Shown(walk) << ": дошёл до конца игры\n";
    }
    report.Print(std::cout);
    return report.Failed(strict, allowed) ? 1 : 0;
}

void WriteOut(const std::string& bytes) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
}

int Info(const fs::path& dir) {
    if (const int status = NotAProject(dir)) return status;
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
            std::cerr << "velmora-tool: warning: map" << k << ".ini: the screens' coordinates span "
                      << gp.map.gridWidth << " x " << gp.map.gridHeight << " cells, more than "
                      << world::kMaxGridCells << "; exits through the grid lead nowhere\n";
        }
        if (first) {
            std::string title = "title: ";
            lines.push_back(title.append(base::TerminalSafe(base::Cp1251ToUtf8(gp.map.Title))));
            std::string author = "author: ";
            lines.push_back(author.append(base::TerminalSafe(base::Cp1251ToUtf8(gp.map.Author))));
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
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "velmora-tool " << VELMORA_VERSION << '\n';
        return 0;
    }
    if (argc >= 3 && std::string(argv[1]) == "check") {
        try {
            return Check(argc, argv);
        } catch (const std::exception& e) {
            // The checker reports what it meets; this is only what it could not survive.
            std::cerr << "velmora-tool: " << base::TerminalSafe(e.what()) << '\n';
            return 1;
        }
    }
    if (argc == 1) return Usage();
    const std::string verb = argv[1];
    if (const int status = tool::AuthorCommand(verb, argc, argv); status >= 0) return status;
    const bool known = verb == "scramble" || verb == "unscramble" || verb == "info" || verb == "check";
    if (!known) {
        std::string why = verb.starts_with("-") ? "unknown option " : "unknown command ";
        return Usage(why.append(base::TerminalSafe(verb)));
    }
    if (argc != 3) {
        std::string why = verb;
        return Usage(why.append(verb == "info" || verb == "check" ? " needs one folder" : " needs one file"));
    }
    const fs::path arg = argv[2];
    try {
        if (verb == "info") return Info(arg);
        // A file that cannot be read is a wrong command line, as the manual says.
        std::string bytes;
        try {
            bytes = base::ReadCheckedFile(arg, base::FileKind::Text);
        } catch (const base::FileError& e) {
            return Failed(e, 2);
        }
        const bool plain = world::IsPlainKeyLines(bytes);
        if (verb == "scramble") {
            WriteOut(plain ? world::Scramble(bytes) : bytes);
        } else {
            WriteOut(plain ? bytes : world::Scramble(bytes));
        }
    } catch (const base::FileError& e) {
        return Failed(e, 1);
    } catch (const std::exception& e) {
        std::cerr << "velmora-tool: " << Shown(arg) << ": " << base::TerminalSafe(e.what()) << '\n';
        return 1;
    }
    return 0;
}
