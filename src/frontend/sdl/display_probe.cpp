// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/sdl/display_probe.h"

#include <SDL.h>

#include <cstdlib>

#include "base/cp1251.h"

namespace velmora::frontend::sdl {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    std::string text = name;
    if (value && *value) return text.append("=").append(value);
    return text.append(" unset");
}

}  // namespace

bool DriverUsable(std::string_view driver, std::string_view asked, bool allowOffscreen) {
    if (driver.empty()) return false;
    if (driver == "x11" || driver == "wayland") return true;
    if (allowOffscreen && driver == "offscreen") return true;
    while (!asked.empty()) {
        const size_t comma = asked.find(',');
        if (base::EqualsNoCase1251(asked.substr(0, comma), driver)) return true;
        if (comma == std::string_view::npos) break;
        asked.remove_prefix(comma + 1);
    }
    return false;
}

std::string CandidateDrivers(const char* display, const char* wayland, const char* runtimeDir,
                             bool allowOffscreen) {
    auto set = [](const char* value) { return value && *value; };
    std::string drivers;
    auto add = [&drivers](const char* name) { drivers.append(drivers.empty() ? "" : ",").append(name); };
    // X11 first, as SDL itself orders them.
    if (set(display)) add("x11");
    // Else libwayland only complains on standard error.
    if (set(wayland) && (wayland[0] == '/' || set(runtimeDir))) add("wayland");
    if (allowOffscreen) add("offscreen");
    return drivers;
}

DisplayProbe ProbeDisplay(bool allowOffscreen) {
    DisplayProbe probe;
    const char* askedVariable = std::getenv("SDL_VIDEODRIVER");
    const std::string asked = askedVariable ? askedVariable : "";
    const std::string where = Variable("DISPLAY").append(", ").append(Variable("WAYLAND_DISPLAY"));
    if (asked.empty()) {
        // SDL would fall back to offscreen by itself; only what may work is tried.
        const std::string drivers = CandidateDrivers(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                                     std::getenv("XDG_RUNTIME_DIR"), allowOffscreen);
        if (drivers.empty()) {
            probe.problem = "no display (";
            probe.problem.append(where).append(")");
            return probe;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        probe.problem = "no display opens (";
        probe.problem.append(where).append("): ").append(SDL_GetError());
        return probe;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    probe.driver = driver ? driver : "";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    probe.usable = DriverUsable(probe.driver, asked, allowOffscreen);
    if (probe.usable) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, probe.driver.c_str());
    } else {
        probe.problem = "no display opens (";
        probe.problem.append(where)
            .append("); SDL offers only its ")
            .append(probe.driver)
            .append(" video driver, which has no keyboard");
    }
    return probe;
}

}  // namespace velmora::frontend::sdl
