// A host for talking lines in tests: a form with the panel, the shared edit
// and list box, and hooks that write down what the player would hear.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/encoding.h"
#include "talkui/prop_bag.h"
#include "talkui/toolkit.h"
#include "ui/form.h"
#include "ui/panel.h"

namespace velmora::talkui::test {

// UTF-8 source text as the toolkit holds it.
inline std::string T(const char* utf8) { return base::Utf8ToCp1251(utf8); }

struct Harness {
    Toolkit kit;
    ui::Form form{"Form1"};
    ui::Panel panel{"IkPanel"};
    std::vector<std::string> heard;  // "say: …" (UTF-8), "cue: N", "beep", "tone: HZ MS"
    ui::Control* focus = nullptr;    // given the focus again whenever it was lost

    Harness() {
        form.SetBounds(0, 0, 900, 600);
        panel.SetParent(&form);
        panel.SetBounds(600, 0, 300, 600);
        kit.Edit = std::make_shared<ui::Edit>("Edit1");
        kit.Edit->SetParent(&panel);
        kit.List = std::make_shared<ui::ListBox>("ListBox1");
        kit.List->SetParent(&panel);
        kit.SpeakHook = [this](const std::string& text) { heard.push_back("say: " + base::Cp1251ToUtf8(text)); };
        kit.SignalHook = [this](int cue) { heard.push_back("cue: " + std::to_string(cue)); };
        kit.BeepHook = [this] { heard.push_back("beep"); };
        kit.ToneHook = [this](int hz, int ms) {
            heard.push_back("tone: " + std::to_string(hz) + " " + std::to_string(ms));
        };
        focus = kit.Edit.get();
    }

    template <typename Line>
    std::unique_ptr<Line> MakeList() {
        return std::make_unique<Line>(kit, panel, &kit.Edit, &kit.List, &kit.Settings);
    }

    void Down(int key, char ch = 0, ui::ShiftState shift = {}) {
        if (!form.ActiveControl() && focus) form.Focus(focus);
        form.DeliverKeyDown(key, shift);
        if (ch != 0) form.DeliverKeyPress(ch);
    }
    void Up(int key, ui::ShiftState shift = {}) { form.DeliverKeyUp(key, shift); }
    void Press(int key, char ch = 0, ui::ShiftState shift = {}) {
        Down(key, ch, shift);
        Up(key, shift);
    }
    // Each character of UTF-8 text as one key.
    void Type(const char* utf8) {
        for (const char c : T(utf8)) Press('A', c);
    }
    void Enter() { Press(ui::vk::Return, '\r'); }
    void Escape() { Press(ui::vk::Escape, 27); }
    void Backspace() { Press(ui::vk::Back, 8); }
    void Space() { Press(ui::vk::Space, ' '); }
    void ArrowDown() { Press(ui::vk::Down); }
    void ArrowUp() { Press(ui::vk::Up); }

    std::vector<std::string> Take() { return std::exchange(heard, {}); }
};

using Heard = std::vector<std::string>;

}  // namespace velmora::talkui::test
