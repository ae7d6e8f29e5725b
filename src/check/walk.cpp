#include "check/walk.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/paths.h"
#include "base/project_file.h"
#include "frontend/headless/headless_run.h"
#include "frontend/common/key_script.h"
#include "frontend/common/transcript.h"
#include "shell/shell_texts.h"
#include "world/game_files.h"

namespace fs = std::filesystem;

namespace velmora::check {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

std::string ReadAll(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    return text;
}

// A folder of its own for the walk's saves and settings, removed at the end.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string name = (fs::temp_directory_path() / "velmora-walk-XXXXXX").string();
        if (::mkdtemp(name.data()) != nullptr) path_ = name;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Standard error sent to a file while it lives: the game's notes on a
// stopped action go there.
class CapturedStderr {
  public:
    CapturedStderr() : file_(std::tmpfile()) {
        std::fflush(stderr);
        if (file_) saved_ = ::dup(STDERR_FILENO);
        if (saved_ >= 0) ::dup2(::fileno(file_.get()), STDERR_FILENO);
    }
    ~CapturedStderr() { Restore(); }
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;
    std::string Text() {
        Restore();
        return file_ ? ReadAll(file_.get()) : std::string();
    }

  private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }
    OwnedFile file_;
    int saved_ = -1;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string EndingName(const Ending& ending) {
    if (ending.kind == Ending::Kind::Win) return "конец игры (exit концовки)";
    if (ending.death == 0) return "смерть без строки Death (die 0 или смерть от отдыха)";
    return "смерть " + std::to_string(ending.death) + " (строка Death номер " +
           std::to_string(ending.death) + ")";
}

bool Walk(const fs::path& dir, const fs::path& keys, bool nomenu, Report& report,
          const Ending& expected) {
    const std::string name = base::DisplayPath(keys);
    std::string script;
    std::vector<frontend::KeyStep> steps;
    try {
        script = base::ReadCheckedFile(keys, base::FileKind::Text);
        steps = frontend::ParseKeyScript(script, name);
    } catch (const base::FileError& e) {
        report.Error(e.file(), "", e.problem());
        return false;
    } catch (const frontend::KeyScriptError& e) {
        report.Error(name, "", e.what());
        return false;
    }
    // The script's own first comments may ask to start in the game.
    for (const std::string& line : Lines(script)) {
        if (line.empty() || line[0] != '#') break;
        if (line.starts_with("# args:") && line.find("-nomenu") != std::string::npos) nomenu = true;
    }
    // The refusals the project's standard messages make.
    world::GameProject gp;
    gp.folders.program = dir;
    gp.folders.state = dir;
    try {
        world::LoadProject(gp);
    } catch (const base::FileError&) {
        return false;  // the check has reported it
    }
    const std::pair<const char*, const world::MessageList*> refusals[] = {
        {"GameNoGo", &gp.game.NoGo},           {"GameICant", &gp.game.ICant},
        {"GameICantTake", &gp.game.ICantTake}, {"GameTooHavy", &gp.game.TooHavy},
        {"GameNoTake", &gp.game.NoTake},       {"GameNoDrop", &gp.game.NoDrop},
        {"GameIHaveNot", &gp.game.IHaveNot},   {"GameNotInter", &gp.game.NotInter},
        {"GameNotExam", &gp.game.NotExam},     {"GameNoSpeak", &gp.game.NoSpeak},
    };

    ScratchFolder scratch;
    OwnedFile transcript(std::tmpfile());
    if (scratch.path().empty() || !transcript) {
        report.Error(name, "", "негде сыграть прохождение: не создаётся временная папка");
        return false;
    }
    std::error_code ec;
    const fs::path project = fs::absolute(dir, ec).lexically_normal();
    // A project of a game's Projects plays with that game's program folder
    // (its Media and pictures); any other alone.
    fs::path program = scratch.path() / "program";
    fs::create_directories(program, ec);
    const fs::path parent =
        (project.has_filename() ? project : project.parent_path()).parent_path();
    if (base::LowerAscii(parent.filename().string()) == "projects") program = parent.parent_path();
    fs::create_directories(scratch.path() / "state", ec);

    frontend::HeadlessOptions options;
    options.programFolder = program;
    options.stateFolder = scratch.path() / "state";
    options.project =
        shell::ProjectChoice{project.has_filename() ? project : project.parent_path(), ""};
    options.steps = std::move(steps);
    options.transcript = transcript.get();
    options.nomenu = nomenu;
    std::string notes;
    {
        CapturedStderr captured;
        frontend::RunHeadless(options);
        notes = captured.Text();
    }

    // The transcript escapes backslashes and control bytes: texts are compared as it writes them.
    const std::string errorPrefix =
        "say: " + frontend::TranscriptText(base::Cp1251ToUtf8(shell::texts::ErrorPrefix()));
    // The death lines as the transcript writes them, to tell which one was said.
    std::vector<std::string> deathLines;
    for (const std::string& text : gp.game.Death.lines) {
        deathLines.push_back(frontend::TranscriptText(base::Cp1251ToUtf8(text)));
    }
    // The death line among the words said since the game view opened: the
    // latest that is one (a prompt for the key may follow it; the game-over
    // text is the project's own or the program's, and is never looked at).
    const auto deathNumber = [&deathLines](const std::vector<std::string>& said) {
        for (auto it = said.rbegin(); it != said.rend(); ++it) {
            int32_t number = 0;
            size_t longest = 0;
            for (size_t i = 0; i < deathLines.size(); ++i) {
                const std::string& d = deathLines[i];
                if (!d.empty() && d.size() > longest && it->starts_with(d)) {
                    number = static_cast<int32_t>(i + 1);
                    longest = d.size();
                }
            }
            if (number != 0) return number;
        }
        return int32_t{0};
    };
    std::vector<Ending> endings;
    bool inGame = false;
    bool died = false;
    std::string previous;           // the transcript's line before this one
    std::vector<std::string> said;  // in the game view, before its end
    size_t told = 0;
    for (const std::string& line : Lines(ReadAll(transcript.get()))) {
        if (line == "view: game") {
            inGame = true;
            died = false;
            said.clear();
        } else if (line == "view: page" && inGame && !died && !previous.starts_with("rate: ")) {
            // A page sequence sets the pages' speech rate just before it
            // opens the page view; the game over opens it with no rate of
            // its own. So a page view opened without one is the hero's death.
            endings.push_back({Ending::Kind::Death, deathNumber(said)});
            died = true;
        } else if (line == "view: picture" && inGame) {
            // The game view left for the main menu: by the ending's exit
            // unless by a death.
            if (!died) endings.push_back({});
            inGame = false;
        }
        previous = line;
        if (inGame && !died && line.starts_with("say: ") && line.size() > 5) {
            if (said.size() >= 256) said.erase(said.begin(), said.begin() + 128);
            said.push_back(line.substr(5));
        }
        if (!line.starts_with("say: ") || ++told > 1000) continue;
        if (line.starts_with(errorPrefix)) {
            report.Error(name, "", "по дороге игра сказала ошибку: " + line.substr(5));
            continue;
        }
        const std::string said = line.substr(5);
        for (const auto& [key, list] : refusals) {
            bool match = false;
            for (const std::string& text : list->lines) {
                match = match || frontend::TranscriptText(base::Cp1251ToUtf8(text)) == said;
            }
            if (!match) continue;
            report.Warning(name, key, "игрок услышал отказ игры: «" + said + "»", kind::kRefusal);
            break;
        }
    }
    for (const std::string& note : Lines(notes)) {
        if (!note.empty()) report.Error(name, "", "по дороге игра сообщила: " + note);
    }
    bool met = false;
    for (const Ending& e : endings) {
        met = met || (e.kind == expected.kind &&
                      (e.kind == Ending::Kind::Win || e.death == expected.death));
    }
    if (!met) {
        std::string came;
        for (const Ending& e : endings) came += (came.empty() ? "" : ", ") + EndingName(e);
        if (expected.kind == Ending::Kind::Win) {
            report.Error(name, "",
                         "прохождение не дошло до конца игры (до exit концовки)" +
                             (came.empty() ? std::string() : ": герой погиб, " + came));
        } else {
            report.Error(name, "",
                         "прохождение должно было кончиться так: " + EndingName(expected) +
                             ", а " + (came.empty() ? "игра не кончилась" : "кончилось так: " + came));
        }
    }
    return met;
}

}  // namespace velmora::check
