// The pictures of the window as textures, one entry per file: a still
// picture is one frame, an animated GIF all its frames with their delays.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "frontend/sdl/sdl_handles.h"
#include "shell/events.h"

namespace velmora::frontend::sdl {

class PictureCache {
public:
    using Clock = std::chrono::steady_clock;

    explicit PictureCache(SDL_Renderer* renderer) : renderer_(renderer) {}

    // The frame to show now; null when the file cannot be read. An animation
    // runs in a loop from its first use; *nextChange gets the time its frame
    // changes, when that is earlier than what it holds.
    SDL_Texture* FrameAt(const std::filesystem::path& file, Clock::time_point now,
                         std::optional<Clock::time_point>* nextChange);
    // The file was loaded again: read it anew, its animation from the start.
    void Forget(const std::filesystem::path& file) { entries_.erase(file); }
    // After each frame: the pictures it did not show are let go of, so a long
    // game does not keep every place's picture it passed through.
    void EndFrame();
    size_t Size() const { return entries_.size(); }

    // Width and height of a picture file; no value when it cannot be read.
    static std::optional<shell::WindowSize> Measure(const std::filesystem::path& file);

private:
    struct Frame {
        TexturePtr texture;
        int delayMs = 100;
    };
    struct Entry {
        std::vector<Frame> frames;  // empty: unreadable
        int loopMs = 0;
        Clock::time_point start;
        bool used = true;
    };
    Entry Load(const std::filesystem::path& file, Clock::time_point now);

    SDL_Renderer* renderer_;
    std::map<std::filesystem::path, Entry> entries_;
};

}  // namespace velmora::frontend::sdl
