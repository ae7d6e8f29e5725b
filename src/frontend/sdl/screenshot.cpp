#include "frontend/sdl/screenshot.h"

#include "frontend/sdl/sdl_handles.h"

namespace velmora::frontend::sdl {

bool WritePng(SDL_Renderer* renderer, const std::filesystem::path& file) {
    int w = 0, h = 0;
    if (!renderer || SDL_GetRendererOutputSize(renderer, &w, &h) != 0 || w <= 0 || h <= 0) return false;
    SurfacePtr shot(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!shot) return false;
    if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shot->pixels, shot->pitch) != 0) {
        return false;
    }
    return IMG_SavePNG(shot.get(), file.c_str()) == 0;
}

}  // namespace velmora::frontend::sdl
