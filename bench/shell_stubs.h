// What the benches that drive the shell by hand give it: only the events the
// shell posts to itself (the ends of speech) come back, and a front end that
// shows nothing.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>

#include "shell/events.h"

namespace velmora::bench {

class PostedEvents : public shell::EventSource {
public:
    std::optional<shell::Event> Next() override {
        if (posted_.empty()) return std::nullopt;
        const shell::Event e = posted_.front();
        posted_.pop_front();
        return e;
    }
    void Post(const shell::Event& e) override { posted_.push_back(e); }

private:
    std::deque<shell::Event> posted_;
};

class QuietFrontEnd : public shell::FrontEnd {
public:
    void PictureLoaded(const char*, const std::filesystem::path&) override {}
    void ViewChanged(const char*) override {}
    void Beep() override {}
    void Tone(int, int) override {}
    std::string KeyboardLayout() override { return "00000419"; }
};

}  // namespace velmora::bench
