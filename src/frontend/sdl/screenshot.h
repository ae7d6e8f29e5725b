// The frame as a PNG file, for --screenshot.
#pragma once

#include <filesystem>

#include <SDL.h>

namespace velmora::frontend::sdl {

// Reads back the renderer's current target (draw the frame first, and do not
// present it in between) and writes it; false when either fails.
bool WritePng(SDL_Renderer* renderer, const std::filesystem::path& file);

}  // namespace velmora::frontend::sdl
