#include "frontend/sdl/sdl_events.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "frontend/common/key_script.h"
#include "frontend/sdl/key_map.h"
#include "frontend/sdl/sdl_front_end.h"

namespace velmora::frontend::sdl {

using shell::Event;

namespace {

// The offscreen and dummy drivers have no keyboard or mouse.
bool DriverWithoutInput() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string_view name = driver ? driver : "";
    return name == "offscreen" || name == "dummy";
}

}  // namespace

SdlEvents::SdlEvents(SdlFrontEnd* frontEnd, std::optional<std::vector<KeyStep>> script)
    : frontEnd_(frontEnd),
      wakeEvent_(SDL_RegisterEvents(1)),
      script_(script ? std::optional<RealTimeScript>(std::move(*script)) : std::nullopt),
      withoutInput_(DriverWithoutInput()) {
    SDL_StartTextInput();
}

void SdlEvents::Post(const Event& event) {
    posted_.Push(event);
    if (wakeEvent_ == static_cast<uint32_t>(-1)) return;
    SDL_Event wake{};
    wake.type = wakeEvent_;
    SDL_PushEvent(&wake);
}

void SdlEvents::Deliver(const KeyStep& step) {
    if (step.typed && OnTyped) OnTyped(std::string(1, *step.typed));
    PushStepEvents(queue_, step, (SDL_GetModState() & KMOD_CAPS) != 0);
}

std::optional<Event> SdlEvents::End() {
    ended_ = true;
    if (auto end = std::exchange(OnEnd, nullptr)) end();
    return std::nullopt;
}

void SdlEvents::Translate(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:
            queue_.push_back(Event::Of(Event::Kind::Quit));
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            if (script_) break;  // the script plays the keys
            const std::optional<MappedKey> key =
                MapSdlKey(e.key.keysym.sym, e.key.keysym.scancode, e.key.keysym.mod);
            if (!key) break;
            const bool down = e.type == SDL_KEYDOWN;
            PushKeyEvents(queue_, key->key, key->shift, down ? KeyCharacter(*key) : std::nullopt,
                          down, !down);
            break;
        }
        case SDL_TEXTINPUT: {
            if (script_) break;
            const std::string typed = TypedText1251(e.text.text);
            if (OnTyped && !typed.empty()) OnTyped(typed);
            const bool caps = (SDL_GetModState() & KMOD_CAPS) != 0;
            for (char c : typed) {
                Event press;
                press.kind = Event::Kind::KeyPress;
                press.ch = c;
                press.shift.CapsLockOn = caps;
                queue_.push_back(press);
            }
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            // A single click counts when the button comes up; a double click
            // when it goes down the second time.
            if (e.button.button != SDL_BUTTON_LEFT) break;
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            if (down ? e.button.clicks < 2 : e.button.clicks != 1) break;
            Event click = Event::Of(down ? Event::Kind::MouseDoubleClick : Event::Kind::MouseClick);
            click.x = e.button.x;
            click.y = e.button.y;
            queue_.push_back(click);
            break;
        }
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                Event resize = Event::Of(Event::Kind::Resize);
                resize.width = e.window.data1;
                resize.height = e.window.data2;
                queue_.push_back(resize);
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED && frontEnd_) {
                frontEnd_->Invalidate();
            }
            break;
        default:
            break;  // the wake-up event carries nothing: the posted queue does
    }
}

std::optional<Event> SdlEvents::Next() {
    if (!ticks_) {
        ticks_.emplace(Clock::now());
        return Event::Ticks(0);  // the timer's first event starts the program
    }
    if (ended_) return End();
    for (;;) {
        Clock::time_point now = Clock::now();
        if (auto tick = ticks_->Due(now)) return tick;
        if (!queue_.empty()) {
            const Event e = queue_.front();
            queue_.pop_front();
            if (e.kind == Event::Kind::Quit) {
                ended_ = true;
                queue_.clear();
            }
            return e;
        }
        if (auto posted = posted_.Pop()) return posted;
        if (script_) {
            if (auto step = script_->Next(now)) {
                Deliver(*step);
                continue;
            }
            if (script_->UsedUp(now)) return End();
        }
        if (frontEnd_) {
            frontEnd_->DrawIfDue(now);
            now = Clock::now();
        }
        Clock::time_point until = ticks_->NextTick();
        if (auto waitEnd = script_ ? script_->WaitEnd() : std::nullopt) until = std::min(until, *waitEnd);
        if (frontEnd_) {
            if (auto frame = frontEnd_->NextFrameAt()) until = std::min(until, std::max(*frame, now));
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
        const int waitMs = static_cast<int>(std::clamp<int64_t>(wait, 0, 100));
        SDL_Event e{};
        if (withoutInput_) {
            // SDL would wait by polling every millisecond here; nothing but
            // the posted events can come, so they are waited for instead.
            if (SDL_PollEvent(&e)) {
                Translate(e);
                while (SDL_PollEvent(&e)) Translate(e);
            } else {
                posted_.WaitFor(std::chrono::milliseconds(waitMs));
            }
        } else if (SDL_WaitEventTimeout(&e, waitMs)) {
            Translate(e);
            while (SDL_PollEvent(&e)) Translate(e);
        }
    }
}

}  // namespace velmora::frontend::sdl
