// The start's question whether to continue the game the autosave keeps.
// One key answers it: Enter continues, Escape declines, and every other key
// is refused aloud and hears the question again.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/file_error.h"
#include "speech/speech_router.h"
#include "world/autosave.h"
#include "world/game_project.h"

namespace velmora::shell {

class StartQuestion {
public:
    // The window around the question.
    class Host {
    public:
        virtual ~Host() = default;
        // Shows a failure in the message area; the text shown.
        virtual std::string ShowError(const base::FileError& error) = 0;
        // The question on the start's picture, the shell in its mode.
        virtual void ShowQuestion(const std::string& question) = 0;
        // Answered: the game to continue, or none for a start as if there were no autosave.
        virtual void QuestionAnswered(std::optional<world::Autosave> save) = 0;
    };

    StartQuestion(Host& host, world::GameProject& gp, speech::SpeechRouter& speech)
        : host_(host), gp_(gp), speech_(speech) {}

    // Asks when the autosave holds a game of this project that can be
    // continued; true: the question was asked.
    bool Offer();
    // A key's release while the question is asked: it is spent.
    void KeyUp(int& key);
    void Answer(bool yes);
    // Another adventure chosen: what was offered is not.
    void Forget() { offered_.reset(); }

    // The answers as the menu mirror offers them.
    static std::vector<std::string> Answers();

private:
    Host& host_;
    world::GameProject& gp_;
    speech::SpeechRouter& speech_;
    std::optional<world::Autosave> offered_;
};

}  // namespace velmora::shell
