// The adventure chooser (src/shell/adventure_chooser.h). The game being left
// is autosaved first, and the one chosen offers its own autosave as a start
// does.
#include "shell/adventure_chooser.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "base/cp1251.h"
#include "base/cues.h"
#include "base/encoding.h"
#include "base/own_text.h"
#include "base/paths.h"
#include "base/plural.h"
#include "base/project_file.h"
#include "rules/texts.h"
#include "shell/shell_texts.h"
#include "talkui/folder_reader.h"
#include "world/key_access.h"
#include "world/key_lines.h"
#include "world/link.h"

namespace fs = std::filesystem;

namespace velmora::shell {
namespace {
namespace own {
VELMORA_OWN_TEXT(ChooserTitle, "Выбор приключения")
VELMORA_OWN_TEXT(Shipped, "Приключение, что идёт с игрой")
VELMORA_OWN_TEXT(OpenFolder, "Открыть папку…")
VELMORA_OWN_TEXT(Playing, ", играется сейчас")
VELMORA_OWN_TEXT(NoAdventure, "В этой папке нет приключения: в ней нет файла game.ini.")
VELMORA_OWN_TEXT(NotRemembered,
                 "Имя этой папки не записать в main.ini: при следующем запуске будет прежнее приключение.")
VELMORA_OWN_TEXT(Author, "Автор: ")
VELMORA_OWN_TEXT(FolderOf, ", папка ")
}  // namespace own

bool HoldsProject(const fs::path& dir) {
    std::error_code ec;
    return fs::is_directory(dir, ec) && base::FindPath(dir, "game.ini").has_value();
}

// The title the project's first map gives (1251), for the chooser to say
// what a player knows the game by; empty when it has none or cannot be read.
std::string MapTitleOf(const fs::path& folder) {
    try {
        std::optional<std::string> bytes = base::ReadProjectFile(folder, "map1.ini", base::FileKind::Text);
        if (!bytes) return "";
        const world::ProjectKeyLines read = world::DecodeProjectKeyLines(std::move(*bytes), "map1.ini");
        for (const std::string& line : world::SplitLines(read.text)) {
            if (base::LowerAscii(line.substr(0, 9)) == "maptitle=")
                return std::string(base::TrimBlanks(std::string_view(line).substr(9)));
        }
    } catch (const base::FileError&) {
        // Said when the project is chosen and loaded; here its folder's name does.
    }
    return "";
}

bool SameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

// "Projects\Default" in any letter case and with either separator: the
// shipped adventure named as main.ini may name it.
bool NamesShipped(const std::string& current) {
    std::string path = base::LowerText1251(current);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path.empty() || path == "projects\\default";
}

// A sentence of its own: a full stop unless it ends in one already.
std::string Sentence(std::string_view text) {
    std::string said(base::TrimBlanks(text));
    if (said.empty()) return said;
    const char last = said.back();
    if (last != '.' && last != '!' && last != '?') said += '.';
    return said + " ";
}

}  // namespace

std::optional<ProjectChoice> AdventureChooser::ChosenProject(const std::string& current) const {
    if (NamesShipped(current)) return std::nullopt;
    fs::path folder;
    if (current.front() == '/') {
        folder = base::PathOf1251(current);
    } else {
        // Relative to the program folder; a player's own project may lie
        // beside their main.ini instead.
        std::optional<fs::path> found;
        if (!SameFolder(session_.options.stateFolder, session_.options.programFolder)) {
            found = base::FindPath(session_.options.stateFolder, current + "\\game.ini");
        }
        if (!found) found = base::FindPath(session_.options.programFolder, current + "\\game.ini");
        if (!found) return std::nullopt;
        folder = found->parent_path();
    }
    // The program folder itself is the adventure that ships when it holds one.
    if (!HoldsProject(folder) || SameFolder(folder, session_.options.programFolder)) return std::nullopt;
    return ProjectChoice{folder.lexically_normal(), ""};
}

std::vector<AdventureChooser::Adventure> AdventureChooser::OfferedAdventures() const {
    std::vector<Adventure> offered;
    // The shipped one: the program folder's own project, else Default.
    const fs::path shipped = HoldsProject(session_.options.programFolder)
                                 ? session_.options.programFolder
                                 : base::FindPath(session_.options.programFolder, "Projects\\Default")
                                       .value_or(session_.options.programFolder / "Projects" / "Default");
    offered.push_back({own::Shipped(), shipped, std::nullopt, std::string()});
    std::vector<fs::path> bases = session_.options.projectsFolders;
    if (bases.empty()) bases = {session_.options.stateFolder / "Projects", session_.options.programFolder / "Projects"};
    std::vector<fs::path> seenBases;
    for (const fs::path& base : bases) {
        if (std::any_of(seenBases.begin(), seenBases.end(),
                        [&](const fs::path& b) { return SameFolder(b, base); }))
            continue;
        seenBases.push_back(base);
        std::error_code ec;
        std::vector<Adventure> here;
        for (const auto& entry : fs::directory_iterator(base, ec)) {
            const fs::path folder = entry.path();
            if (!HoldsProject(folder) || SameFolder(folder, shipped)) continue;
            const std::string name = folder.filename().string();
            // A name met already is the player's own, which --project finds first.
            if (std::any_of(offered.begin(), offered.end(), [&](const Adventure& a) {
                    return a.choice && a.folder.filename() == folder.filename();
                }))
                continue;
            Adventure a;
            const std::string folderName = base::NameOf(folder.filename());
            // Its title first, as the player knows the game; the folder's name
            // after it tells two of one title apart.
            const std::string title = MapTitleOf(folder);
            a.caption = title.empty() || title == folderName ? folderName : title + own::FolderOf() + folderName;
            a.folder = folder;
            a.choice = ProjectChoice{folder.lexically_normal(), ""};
            // As the documented game names a project: relative to the program
            // folder, when the next start finds this very folder by it; else
            // the folder's full path.
            if (base::FitsCp1251(name)) {
                const std::string relative = "Projects\\" + folderName;
                const std::optional<ProjectChoice> back = ChosenProject(relative);
                if (back && SameFolder(back->root, folder)) a.current = relative;
            }
            if (!a.current && base::FitsCp1251(folder.string())) {
                a.current = base::NameOf(folder.lexically_normal());
            }
            here.push_back(std::move(a));
        }
        std::sort(here.begin(), here.end(), [](const Adventure& a, const Adventure& b) {
            return base::LowerText1251(a.caption) < base::LowerText1251(b.caption);
        });
        for (Adventure& a : here) offered.push_back(std::move(a));
    }
    return offered;
}

// The main menu offers the chooser when there is something to choose, or a
// way back to the adventure that ships: a game root with that adventure
// alone keeps its main menu exactly as it was.
bool AdventureChooser::Offered() const { return !shippedPlaying_ || OfferedAdventures().size() > 1; }

void AdventureChooser::ShowAlone() {
    if (!host_.MenuLine()) return;
    const std::vector<Adventure> offered = OfferedAdventures();
    auto block = std::make_shared<talkui::TMenuBlock>();
    for (const Adventure& a : offered) {
        const bool playing = a.choice ? (!shippedPlaying_ && SameFolder(a.folder, session_.projectFolder))
                                      : shippedPlaying_;
        talkui::TMenuEntry& entry =
            block->AddEntry(a.caption + (playing ? own::Playing() : std::string()), talkui::etAction);
        entry.OnChoose = [this, a, playing](talkui::TMenuLine&, talkui::TMenuEntry&) {
            if (playing) {
                host_.LeaveMenuAlone();  // nothing to switch: the same game stays
            } else {
                SwitchAdventure(a);
            }
            return talkui::MenuResult::Stop;
        };
    }
    // The navigator starts in the first Projects folder there is: where a
    // player unpacks the adventures they get.
    if (folderValue_.empty()) {
        fs::path start = session_.options.projectsFolders.empty() ? session_.options.stateFolder / "Projects"
                                                          : session_.options.projectsFolders.front();
        std::error_code ec;
        if (!fs::is_directory(start, ec)) start = session_.options.programFolder / "Projects";
        folderValue_ = base::NameOf(start.lexically_normal()) + "/";
    }
    talkui::TMenuEntry& open = block->AddEntry(own::OpenFolder(), talkui::etValue);
    open.Aux = "f";
    open.TextValue = &folderValue_;
    open.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) { FolderChosen(folderValue_); };
    block_ = block;

    host_.ShowMenuAlone(own::ChooserTitle());
    kit_.UnitNoun = texts::Adventures();
    host_.OpenMenuAlone(*block);
    session_.speech.SayText(own::ChooserTitle() + ", " + base::CountOf(block->EntryCount(), texts::Adventures()));
}

// The navigator hands back a file (game.ini, or any file beside it) or a
// folder; either names the folder of the adventure.
void AdventureChooser::FolderChosen(const std::string& path) {
    fs::path folder = talkui::ResolvePath(path);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) folder = folder.parent_path();
    folder = folder.lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path();
    if (!HoldsProject(folder)) {
        session_.speech.PlayCue(base::kCueBoundary);
        session_.speech.SayText(own::NoAdventure());
        return;
    }
    for (const Adventure& a : OfferedAdventures()) {
        if (SameFolder(a.folder, folder)) {
            SwitchAdventure(a);
            return;
        }
    }
    Adventure a;
    a.caption = base::NameOf(folder.filename());
    a.folder = folder;
    a.choice = ProjectChoice{folder, ""};
    if (base::FitsCp1251(folder.string())) a.current = base::NameOf(folder);
    SwitchAdventure(a);
}

void AdventureChooser::SwitchAdventure(const Adventure& adventure) {
    // The game being left is kept first, as leaving it by its menu does.
    host_.LeaveForAnotherAdventure();
    std::string said;
    if (adventure.current) {
        try {
            session_.ini.WriteCurrent(*adventure.current);
        } catch (const base::FileError& e) {
            // Played all the same; the player hears that it is not remembered.
            said = host_.ShowError(e) + ". ";
        }
    } else {
        said = own::NotRemembered() + " ";
    }
    // --project gave way to the player's own choice.
    session_.options.project = adventure.choice;
    chosenCurrent_ = adventure.current.value_or(std::string());
    host_.StartAnotherAdventure(std::move(said));
}

// «Об игре» of a project that tells of itself in about.txt: its title, its
// author and that text (a departure: the credits were always the program's).
// Without the file the program's own credits stay.
std::string AdventureChooser::AboutText() {
    std::optional<std::string> own;
    try {
        own = rules::texts::ProjectText(session_.projectFolder, "about.txt");
    } catch (const base::FileError& e) {
        session_.speech.PendingPrefix = host_.ShowError(e) + ". ";
    }
    if (!own) return texts::Credits();
    std::string said = Sentence(session_.gp.map.Title);
    const std::string_view author = base::TrimBlanks(session_.gp.map.Author);
    if (!author.empty() && author != world::MMap().Author) said += own::Author() + Sentence(author);
    return said + *own;
}

}  // namespace velmora::shell
