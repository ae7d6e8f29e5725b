// Messages, the picks from message lists, and the entry of scripts.
#include "base/cp1251.h"
#include "base/paths.h"
#include "rules/rules.h"
#include "rules/texts.h"
#include "world/game_files.h"
#include "world/key_access.h"

namespace velmora::rules {

Rules::Rules(world::GameProject& project, speech::SpeechRouter& speech, sound::SoundSystem& sound,
             RulesView& view, EventPump& events)
    : gp(project), speech_(speech), sound_(sound), view_(view), events_(events) {
    // Sounds and music the gate refuses are the player's news too.
    sound_.onRefused = [this](const base::FileError& error) { ReportRefused(error); };
}

Rules::~Rules() { sound_.onRefused = nullptr; }

std::optional<std::filesystem::path> Rules::CheckedFile(const std::filesystem::path& root,
                                                        std::string_view relative,
                                                        base::FileKind kind) {
    base::GatedFile gated = base::GateFile(root, relative, kind);
    if (gated.Refused()) ReportRefused(*gated.error);
    if (!gated.Found()) return std::nullopt;
    return std::move(gated.path);
}

void Rules::ReportRefused(const base::FileError& error) {
    // A picture met at every step would otherwise be announced at every step.
    if (!refusedReported_.insert(error.file()).second) return;
    view_.ReportError(error);
}

std::filesystem::path Rules::ProjectFolder() const {
    auto found = base::FindPath(gp.folders.ProjectsRoot(), gp.folders.projectPath);
    return found ? *found : gp.folders.ProjectsRoot();
}

// A project may end its games with a line of its own instead of the
// program's, which speaks of a dark lord that most adventures do not have.
// Like the program's line, it asks for the key the game over waits for.
std::string Rules::GameOverLine() {
    std::optional<std::string> own;
    try {
        own = texts::ProjectText(ProjectFolder(), "death.txt");
    } catch (const base::FileError& e) {
        ReportRefused(e);  // the program's line is heard after it
    }
    if (!own) return texts::GameOverText();
    if (!texts::AsksForKey(*own)) *own += " " + texts::KeyPrompt();
    return *own;
}

void Rules::SayMessage(std::string_view text, bool keepLast) {
    if (errorAnswered_) return;
    if (suppressNext) {
        suppressNext = false;
        return;
    }
    if (text.empty()) return;
    const std::string message(text);
    view_.SetGameText(message);
    speech_.SayText(message);
    if (!keepLast) gp.hero.LastMessage = message;
}

std::string Rules::NextMessage(world::MessageList& list) {
    if (list.lines.empty()) return texts::NotSet();
    if (int64_t{list.cursor} + 1 < static_cast<int64_t>(list.lines.size())) ++list.cursor;
    // A cursor restored from a saved game may point anywhere.
    if (list.cursor < 0) list.cursor = 0;
    if (static_cast<size_t>(list.cursor) >= list.lines.size()) {
        list.cursor = static_cast<int32_t>(list.lines.size() - 1);
    }
    return list.lines[static_cast<size_t>(list.cursor)];
}

std::string Rules::NextMessageThenRandom(world::MessageList& list) {
    if (list.lines.empty()) return texts::NotSet();
    if (int64_t{list.cursor} + 1 < static_cast<int64_t>(list.lines.size())) {
        ++list.cursor;
        if (list.cursor >= 0) return list.lines[static_cast<size_t>(list.cursor)];
    }
    std::uniform_int_distribution<size_t> pick(0, list.lines.size() - 1);
    return list.lines[pick(random)];
}

std::string Rules::MessageAt(const world::MessageList& list, int64_t index) {
    if (index < 0 || index >= static_cast<int64_t>(list.lines.size())) return "0";
    return list.lines[static_cast<size_t>(index)];
}

bool Rules::RunScript(std::string_view text) {
    suppressNext = false;
    // Each run walks its own lines: a script it calls cannot replace them.
    return RunBlock(gp.runner, world::SplitLines(text));
}

bool Rules::CheckForced() {
    if (gp.vars.glob_forced == 0) return false;
    const int64_t n = gp.vars.glob_forced;
    gp.vars.glob_forced = 0;
    if (Screen() != nullptr) RunScript(MessageAt(Screen()->Scripts, n - 1));
    return true;
}

bool Rules::CheckWaited(int32_t number) {
    if (gp.vars.glob_waited_act == 0) return false;
    const int32_t waited = gp.vars.glob_waited_act;
    gp.vars.glob_waited_act = 0;
    if (number == waited) return false;
    const std::string script = gp.vars.glob_waited_act_cmd;
    RunScript(script);
    return true;
}

}  // namespace velmora::rules
