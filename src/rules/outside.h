// How the rules reach the window and the flow of events. The shell implements
// both; tests record them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "base/file_error.h"

namespace velmora::rules {

struct PictureSize {
    int width = 0;
    int height = 0;
};

// What the page view measures when it is shown.
struct PageLayout {
    double PageScale = 1.0;
    int PageScreenWidth = 0;
    int windowHeight = 0;
};

class RulesView {
public:
    virtual ~RulesView() = default;
    // The game view's text area (replaced whole).
    virtual void SetGameText(const std::string& text) = 0;
    // The page view's text area.
    virtual void ClearPageText() = 0;
    virtual void AppendPageLine(const std::string& line) = 0;
    virtual std::string PageText() const = 0;
    // The game picture; the page picture, whose size comes back when it loaded.
    virtual void LoadGamePicture(const std::filesystem::path& file) = 0;
    virtual std::optional<PictureSize> LoadPagePicture(const std::filesystem::path& file) = 0;
    virtual void ReleasePagePicture() = 0;  // placed by hand from now on
    virtual void PlacePagePicture(int left, int top, int width, int height) = 0;
    virtual PageLayout ShowPageView() = 0;
    virtual void ShowGameView() = 0;
    // The main menu ("menu", titled "Главное меню") with no line selected.
    virtual void OpenMainMenu() = 0;
    virtual void ShowHeroStatus(int32_t health, int32_t load, int32_t experience) = 0;
    // A damaged file met during play (a map that cannot be loaded): shown and spoken.
    virtual void ReportError(const base::FileError& error) = 0;
};

// Handles the next event (a key, a timer tick, a speech or sound report),
// waiting for it. False when no event will come any more (the window closed,
// the key script ended): every wait then ends at once.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual bool DispatchNext() = 0;
};

}  // namespace velmora::rules
