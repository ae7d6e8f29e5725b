// velmora-tool: the adventure authors' tools.
//   velmora-tool scramble FILE     the file's bytes scrambled, to standard output
//   velmora-tool unscramble FILE   the file's plain bytes, to standard output
//   velmora-tool info DIR          what the project in DIR holds
//   velmora-tool check [--strict] [--allow KIND]... [--media DIR]
//                      [--walk KEYS [--nomenu] [--expect win|death N]] DIR
//                                  every problem of the project in DIR, one a line
//   velmora-tool convert --to 1251|utf8 DIR
//                                  the project's text files in that encoding, in place
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/project_file.h"
#include "base/project_text.h"
#include "base/paths.h"
#include "base/terminal_text.h"
#include "check/check.h"
#include "check/explain.h"
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
    "       velmora-tool check [--strict] [--allow KIND]... [--media DIR]\n"
    "                          [--walk KEYS [--nomenu] [--expect win|death N]] DIR\n"
    "       velmora-tool check --explain [KIND]\n"
    "       velmora-tool convert --to 1251|utf8 DIR\n"
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
           "                   unreachable, keys, file, refusal (a standard refusal\n"
           "                   a --walk heard), other; what the checker proves\n"
           "                   (a misspelled key, a show of no object, an object a command\n"
           "                   needs that stays hidden or cannot be carried) fails anyway\n"
           "    --media DIR    the program's Media folder, where sounds are looked for\n"
           "                   after the project's Snd (default: Media beside Projects,\n"
           "                   or in DIR when the project is a program folder itself)\n"
           "    --walk KEYS    then plays the key script KEYS (as velmora --keys) on the\n"
           "                   project headless: an error unless it reaches the ending's\n"
           "                   exit, one for each error the game spoke or action it\n"
           "                   stopped, a warning (refusal) for each standard refusal heard\n"
           "    --nomenu       the walk starts in the game (so does a script whose first\n"
           "                   comment is \"# args: -nomenu\")\n"
           "    --expect win   the walk must end by the ending's exit (the default)\n"
           "    --expect death N\n"
           "                   the walk must end in the hero's death, with the game over\n"
           "                   of death line N (as die N counts, from 1); an error names\n"
           "                   the ending that came instead\n"
           "    --explain KIND what a kind means and what to do, from the authors' guide\n"
           "                   (/usr/share/doc/velmora/guide); without KIND, every kind\n"
           "  convert --to 1251|utf8 DIR\n"
           "                   rewrites the project's text files (game.ini, map<k>.ini and\n"
           "                   the .txt files in DIR) in code page 1251 or in UTF-8 without\n"
           "                   a byte-order mark, in place: scrambled files stay scrambled,\n"
           "                   line ends stay; each file goes to a temporary file renamed\n"
           "                   over it, and nothing is written unless every file converts.\n"
           "                   Saved games are never touched. The game and the checker\n"
           "                   read either encoding.\n"
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
    check::Ending expected;
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
        } else if (a == "--expect" && i + 1 < argc) {
            const std::string what = argv[++i];
            if (what == "win") {
                expected = {};
            } else if (what == "death" && i + 1 < argc && world::TryParseInt32(argv[i + 1]) &&
                       *world::TryParseInt32(argv[i + 1]) >= 0) {
                expected = {check::Ending::Kind::Death, *world::TryParseInt32(argv[++i])};
            } else {
                return Usage("--expect needs win or death N (N the death line, from 1)");
            }
        } else if (a == "--nomenu") {
            nomenu = true;
        } else if (a == "--media" && i + 1 < argc) {
            media = argv[++i];
        } else if (!haveDir && !a.starts_with("--")) {
            dir = a;
            haveDir = true;
        } else if (a == "--allow" || a == "--walk" || a == "--media" || a == "--expect") {
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
    if (!walk.empty() && check::Walk(dir, walk, nomenu, report, expected)) {
        std::cout << "walk: " << Shown(walk) << ": "
                  << (expected.kind == check::Ending::Kind::Win
                          ? std::string("дошёл до конца игры")
                          : "кончился, как ожидалось: " + check::EndingName(expected))
                  << '\n';
    }
    report.Print(std::cout);
    if (strict) {
        if (const std::string why = report.StrictVerdict(allowed); !why.empty()) std::cout << why << '\n';
    }
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

// One text file of a project, converted in memory.
struct Converted {
    fs::path path;
    std::string bytes;
};

// The bytes of `file` in the encoding asked for, or a FileError naming it.
// Read as the game reads it, and checked to read back to the same text, so
// a conversion never changes what the game plays.
std::string ConvertBytes(const std::string& bytes, const std::string& shown, bool keyLines,
                         bool toUtf8) {
    std::string text;
    bool scrambled = false;
    if (keyLines) {
        const bool bom = world::StartsWithUtf8Mark(bytes);
        const std::string plain = bom || world::IsPlainKeyLines(bytes) ? bytes : world::Scramble(bytes);
        // The game stops reading at a zero byte: what follows would be lost.
        if (plain.find('\0') != std::string::npos) {
            throw base::FileError(shown, "нулевой байт в файле: игра не читает то, что после него; "
                                         "файл не тронут");
        }
        world::ProjectKeyLines read = world::DecodeProjectKeyLines(bytes, shown);
        text = std::move(read.text);
        scrambled = read.scrambled;
    } else {
        text = base::DecodeProjectText(bytes, shown).text;
    }
    std::string out = text;
    if (toUtf8) {
        if (const auto line = base::LineOfUnconvertible1251(text)) {
            throw base::FileError(shown, "строка " + std::to_string(*line) +
                                             ": байт 0x98 не знак кодировки 1251, в UTF-8 его не "
                                             "записать; файл не тронут");
        }
        out = base::Cp1251ToUtf8(text);
    }
    if (scrambled) out = world::Scramble(out);
    const std::string back = keyLines ? world::DecodeProjectKeyLines(out, shown).text
                                      : base::DecodeProjectText(out, shown).text;
    if (back != text) {
        throw base::FileError(shown, std::string("в кодировке ") + (toUtf8 ? "UTF-8" : "1251") +
                                         " игра прочтёт этот файл иначе; файл не тронут");
    }
    return out;
}

int Convert(int argc, char** argv) {
    std::string to;
    fs::path dir;
    bool haveDir = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--to" && i + 1 < argc) {
            to = base::LowerAscii(argv[++i]);
        } else if (a == "--to") {
            return Usage("--to needs a value");
        } else if (!haveDir && !a.starts_with("-")) {
            dir = a;
            haveDir = true;
        } else {
            std::string why = a.starts_with("-") ? "unknown option " : "one project folder at a time: ";
            return Usage(why.append(base::TerminalSafe(a)));
        }
    }
    if (to == "utf-8") to = "utf8";
    if (to == "cp1251" || to == "windows-1251") to = "1251";
    if (to != "1251" && to != "utf8") return Usage("convert needs --to 1251 or --to utf8");
    if (!haveDir) return Usage("convert needs a project folder");
    if (const int status = NotAProject(dir)) return status;

    // The key-line files and the texts the game reads from the project's own folder.
    std::vector<std::pair<std::string, bool>> names;  // name as found, key lines
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string lower = base::LowerAscii(name);
        const bool keyLines = lower == "game.ini" || (lower.starts_with("map") &&
                                                      lower.size() > 7 && lower.ends_with(".ini") &&
                                                      lower.find_first_not_of("0123456789", 3) ==
                                                          lower.size() - 4);
        if (keyLines || (lower.ends_with(".txt") && lower.size() > 4)) names.emplace_back(name, keyLines);
    }
    if (ec) return Failed(base::FileError(base::DisplayPath(dir), "папка не читается"), 1);
    std::sort(names.begin(), names.end());
    std::vector<Converted> changed;
    int failures = 0;
    for (const auto& [name, keyLines] : names) {
        try {
            const base::GatedFile gated = base::GatePath(dir, dir / name, base::FileKind::Text);
            if (gated.Refused()) throw *gated.error;
            if (!gated.Found()) continue;
            const std::string shown = base::DisplayPath(gated.path);
            const std::string bytes = base::ReadCheckedFile(gated.path, base::FileKind::Text);
            std::string out = ConvertBytes(bytes, shown, keyLines, to == "utf8");
            if (out != bytes) changed.push_back({gated.path, std::move(out)});
        } catch (const base::FileError& e) {
            Failed(e, 1);
            ++failures;
        }
    }
    if (failures > 0) {
        std::cerr << "velmora-tool: nothing converted\n";
        return 1;
    }
    // Every file written in full before any replaces its old version.
    std::vector<base::StagedFile> staged;
    try {
        for (const Converted& c : changed) staged.emplace_back(c.path, c.bytes);
        for (base::StagedFile& f : staged) f.Commit(false);
        base::SyncFolder(dir);
    } catch (const base::FileError& e) {
        return Failed(e, 1);
    }
    for (const Converted& c : changed) std::cout << "converted: " << Shown(c.path) << '\n';
    std::cout << "convert: " << changed.size() << (changed.size() == 1 ? " file" : " files")
              << " in " << (to == "utf8" ? "UTF-8" : "1251") << ", "
              << names.size() - changed.size() << " already so\n";
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
    if (argc >= 3 && std::string(argv[1]) == "check" && std::string(argv[2]) == "--explain") {
        return check::PrintExplanation(std::vector<std::string>(argv + 3, argv + argc), std::cout, std::cerr);
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
    if (argc >= 3 && std::string(argv[1]) == "convert") return Convert(argc, argv);
    if (argc == 1) return Usage();
    const std::string verb = argv[1];
    if (const int status = tool::AuthorCommand(verb, argc, argv); status >= 0) return status;
    const bool known = verb == "scramble" || verb == "unscramble" || verb == "info" || verb == "check" ||
                       verb == "convert";
    if (!known) {
        std::string why = verb.starts_with("-") ? "unknown option " : "unknown command ";
        return Usage(why.append(base::TerminalSafe(verb)));
    }
    if (argc != 3) {
        std::string why = verb;
        return Usage(why.append(verb == "info" || verb == "check" || verb == "convert" ? " needs one folder" : " needs one file"));
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
