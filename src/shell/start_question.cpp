#include "shell/start_question.h"

#include <utility>

#include "base/cues.h"
#include "base/file_error.h"
#include "base/own_text.h"
#include "ui/keys.h"

namespace velmora::shell {
namespace {
namespace own {
VELMORA_OWN_TEXT(ContinueQuestion, "Продолжить прошлую игру? Энтэр — да, Эскейп — нет.")
// The answers to the question whether to continue the last game.
VELMORA_OWN_TEXT(Yes, "Да, продолжить")
VELMORA_OWN_TEXT(No, "Нет, начать заново")
}  // namespace own
}  // namespace

bool StartQuestion::Offer() {
    try {
        offered_ = world::ReadAutosave(gp_);
        // Only a game that can be continued is offered: one the project no
        // longer fits is refused now, not after the player said yes.
        if (offered_ && world::AutosaveBelongs(*offered_, gp_)) world::CheckAutosave(gp_, *offered_);
    } catch (const base::FileError& e) {
        // A damaged autosave is refused aloud, as a damaged slot is, and the
        // game starts as if there were none; the file stays for a look.
        speech_.PendingPrefix = host_.ShowError(e) + ". ";
        offered_.reset();
        return false;
    }
    // Another project's game (main.ini now names another) is not offered.
    if (!offered_ || !world::AutosaveBelongs(*offered_, gp_)) {
        offered_.reset();
        return false;
    }
    host_.ShowQuestion(own::ContinueQuestion());
    speech_.SayText(own::ContinueQuestion());
    return true;
}

// A modifier alone is part of a chord and says nothing.
void StartQuestion::KeyUp(int& key) {
    const int pressed = key;
    key = 0;
    if (pressed == ui::vk::Return || pressed == ui::vk::Escape) {
        Answer(pressed == ui::vk::Return);
    } else if (!ui::IsModifierKey(pressed)) {
        speech_.PlayCue(base::kCueBoundary);
        speech_.SayText(own::ContinueQuestion());
    }
}

void StartQuestion::Answer(bool yes) {
    std::optional<world::Autosave> save = std::exchange(offered_, std::nullopt);
    // Declined: the autosave stays until a game is kept over it.
    if (!yes) save.reset();
    host_.QuestionAnswered(std::move(save));
}

std::vector<std::string> StartQuestion::Answers() { return {own::Yes(), own::No()}; }

}  // namespace velmora::shell
