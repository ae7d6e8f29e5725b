// The adventure chooser of the main menu: the adventure that ships, every
// project under the Projects folders, and any folder the player opens with
// the talking file navigator. The choice is kept in main.ini's [Proj]
// Current and played at once. Also the main menu's «Об игре» of a project
// that tells of itself.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/file_error.h"
#include "shell/project_choice.h"
#include "shell/menu_alone.h"
#include "shell/session.h"
#include "talkui/menu_block.h"
#include "talkui/toolkit.h"

namespace velmora::shell {

class AdventureChooser {
public:
    // The window around the chooser.
    class Host : public MenuAloneHost {
    public:
        // Shows a failure in the message area; the text shown.
        virtual std::string ShowError(const base::FileError& error) = 0;
        // The game being left is kept and stopped.
        virtual void LeaveForAnotherAdventure() = 0;
        // The adventure now chosen is loaded and started as at a start; `said`
        // (what could not be kept) is heard first.
        virtual void StartAnotherAdventure(std::string said) = 0;
    };

    AdventureChooser(Host& host, Session& session, talkui::Toolkit& kit) : host_(host), session_(session), kit_(kit) {}
    AdventureChooser(const AdventureChooser&) = delete;
    AdventureChooser& operator=(const AdventureChooser&) = delete;

    // [Proj] Current as this run plays it: as the player chose it this run
    // (main.ini may not have taken it), else as main.ini has it.
    std::string Current() const { return chosenCurrent_ ? *chosenCurrent_ : session_.ini.Current; }
    // The project a [Proj] Current names, unless it is the one that ships (or
    // names no project: the one that ships is then played, as always).
    std::optional<ProjectChoice> ChosenProject(const std::string& current) const;
    // The adventure that ships is played, with the saves of old.
    bool ShippedPlaying() const { return shippedPlaying_; }
    void SetShippedPlaying(bool shipped) { shippedPlaying_ = shipped; }
    // The main menu offers the chooser.
    bool Offered() const;
    // From the main menu: the chooser alone on the game's menu line.
    void ShowAlone();
    // «Об игре»: the project's own, or the program's credits.
    std::string AboutText();

private:
    struct Adventure {
        std::string caption;                // 1251, as the chooser says it
        std::filesystem::path folder;       // holds game.ini
        std::optional<ProjectChoice> choice;  // none: the adventure that ships
        std::optional<std::string> current;   // for [Proj] Current; none: 1251 cannot hold it
    };
    std::vector<Adventure> OfferedAdventures() const;
    void FolderChosen(const std::string& path);
    void SwitchAdventure(const Adventure& adventure);

    Host& host_;
    Session& session_;
    talkui::Toolkit& kit_;
    std::shared_ptr<talkui::TMenuBlock> block_;
    std::string folderValue_;     // the navigator's path, 1251
    bool shippedPlaying_ = true;
    std::optional<std::string> chosenCurrent_;
};

}  // namespace velmora::shell
