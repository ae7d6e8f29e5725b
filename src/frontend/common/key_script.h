// Key scripts: the player's keys for a headless run, one step a line.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shell/events.h"

namespace velmora::frontend {

enum Modifier : uint8_t { kShift = 1, kCtrl = 2, kAlt = 4 };

struct KeyStep {
    enum class Kind { Press, Down, Up, Wait };
    Kind kind = Kind::Press;
    int key = 0;                  // virtual-key number
    uint8_t modifiers = 0;        // Modifier bits
    std::optional<char> typed;    // the character the key types, code page 1251
    int waitMs = 0;               // Wait only
    bool settle = true;           // false for a step written with a leading '!'
    int line = 0;                 // in the script, from 1
};

// A line that is not a step: the file, the line and what is wrong.
class KeyScriptError : public std::runtime_error {
public:
    KeyScriptError(const std::string& file, int line, const std::string& message)
        : std::runtime_error("error: " + file + ":" + std::to_string(line) + ": " + message) {}
};

// The events of a key as every front end delivers them: the key down and the
// character it types (when down), then the key up (when up).
void PushKeyEvents(std::deque<shell::Event>& out, int key, ui::ShiftState shift,
                   std::optional<char> typed, bool down, bool up);

// A script's key step as those events (a wait gives none).
void PushStepEvents(std::deque<shell::Event>& out, const KeyStep& step, bool capsLock);

// Reads a whole script (UTF-8); throws KeyScriptError at the first bad line.
std::vector<KeyStep> ParseKeyScript(std::string_view utf8, const std::string& fileName);

}  // namespace velmora::frontend
