#include "frontend/common/key_script.h"

#include <array>
#include <map>

#include "base/cp1251.h"
#include "base/encoding.h"

namespace velmora::frontend {
namespace {

namespace vk = ui::vk;

// Named keys and the character each types (none: 0).
struct NamedKey {
    int key;
    char typed;
};

const std::map<std::string, NamedKey>& NamedKeys() {
    static const std::map<std::string, NamedKey> keys = [] {
        std::map<std::string, NamedKey> k = {
            {"enter", {vk::Return, 13}},       {"escape", {vk::Escape, 27}},
            {"space", {vk::Space, 32}},        {"backspace", {vk::Back, 8}},
            {"tab", {vk::Tab, 9}},             {"delete", {vk::Delete, 0}},
            {"insert", {vk::Insert, 0}},       {"up", {vk::Up, 0}},
            {"down", {vk::Down, 0}},           {"left", {vk::Left, 0}},
            {"right", {vk::Right, 0}},         {"home", {vk::Home, 0}},
            {"end", {vk::End, 0}},             {"pageup", {vk::Prior, 0}},
            {"pagedown", {vk::Next, 0}},       {"capslock", {vk::Capital, 0}},
            {"apps", {vk::Apps, 0}},           {"numplus", {vk::Add, '+'}},
            {"numminus", {vk::Subtract, '-'}}, {"nummultiply", {vk::Multiply, '*'}},
            {"numdivide", {vk::Divide, '/'}},
            {"control", {vk::Control, 0}},  // Ctrl pressed and let go alone: the voice falls silent
        };
        for (int i = 1; i <= 12; ++i) k[std::string("f").append(std::to_string(i))] = {vk::F1 - 1 + i, 0};
        return k;
    }();
    return keys;
}

// The physical key of each character of the US layout that is not a letter or digit.
struct Punct {
    char c;
    int key;
    bool shift;
};
constexpr std::array<Punct, 32> kPunct = {{
    {' ', vk::Space, false},    {'!', '1', true},           {'@', '2', true},
    {'#', '3', true},           {'$', '4', true},           {'%', '5', true},
    {'^', '6', true},           {'&', '7', true},           {'*', '8', true},
    {'(', '9', true},           {')', '0', true},           {'-', vk::OemMinus, false},
    {'_', vk::OemMinus, true},  {'=', vk::OemPlus, false},  {'+', vk::OemPlus, true},
    {'[', vk::Oem4, false},     {'{', vk::Oem4, true},      {']', vk::Oem6, false},
    {'}', vk::Oem6, true},      {';', vk::Oem1, false},     {':', vk::Oem1, true},
    {'\'', vk::Oem7, false},    {'"', vk::Oem7, true},      {',', vk::OemComma, false},
    {'<', vk::OemComma, true},  {'.', vk::OemPeriod, false}, {'>', vk::OemPeriod, true},
    {'/', vk::Oem2, false},     {'?', vk::Oem2, true},      {'`', vk::Oem3, false},
    {'~', vk::Oem3, true},      {'\\', vk::Oem5, false},
}};

// The Latin key of each small Cyrillic letter on the Russian layout.
int CyrillicKey(char lower1251) {
    static const std::map<std::string, char> keys = {
        {"а", 'F'}, {"б", ','}, {"в", 'D'}, {"г", 'U'}, {"д", 'L'}, {"е", 'T'}, {"ё", '`'},
        {"ж", ';'}, {"з", 'P'}, {"и", 'B'}, {"й", 'Q'}, {"к", 'R'}, {"л", 'K'}, {"м", 'V'},
        {"н", 'Y'}, {"о", 'J'}, {"п", 'G'}, {"р", 'H'}, {"с", 'C'}, {"т", 'N'}, {"у", 'E'},
        {"ф", 'A'}, {"х", '['}, {"ц", 'W'}, {"ч", 'X'}, {"ш", 'I'}, {"щ", 'O'}, {"ъ", ']'},
        {"ы", 'S'}, {"ь", 'M'}, {"э", '\''}, {"ю", '.'}, {"я", 'Z'},
    };
    for (const auto& [utf8, latin] : keys) {
        if (base::Utf8ToCp1251(utf8)[0] != lower1251) continue;
        if (latin >= 'A' && latin <= 'Z') return latin;
        for (const Punct& p : kPunct) {
            if (p.c == latin) return p.key;
        }
    }
    return 0;
}

// One character as a key step: its key, Shift when needed, and the character.
std::optional<KeyStep> CharacterStep(char c1251) {
    KeyStep step;
    const unsigned char b = static_cast<unsigned char>(c1251);
    step.typed = c1251;
    if (b >= 'a' && b <= 'z') {
        step.key = b - 32;
    } else if (b >= 'A' && b <= 'Z') {
        step.key = b;
        step.modifiers = kShift;
    } else if (b >= '0' && b <= '9') {
        step.key = b;
    } else if (b >= 0xC0 || b == 0xA8 || b == 0xB8) {
        const char lower = base::ToLower1251(c1251);
        step.key = CyrillicKey(lower);
        if (step.key == 0) return std::nullopt;
        if (lower != c1251) step.modifiers = kShift;
    } else {
        for (const Punct& p : kPunct) {
            if (p.c == c1251) {
                step.key = p.key;
                if (p.shift) step.modifiers = kShift;
                return step;
            }
        }
        return std::nullopt;
    }
    return step;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A key with optional modifiers: "Ctrl+Shift+F1", "Enter", "ф", "Q".
KeyStep ParseKey(std::string_view text, const std::string& file, int line) {
    uint8_t modifiers = 0;
    for (;;) {
        const size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 == text.size()) break;
        const std::string mod = base::LowerAscii(text.substr(0, plus));
        if (mod == "ctrl") {
            modifiers |= kCtrl;
        } else if (mod == "alt") {
            modifiers |= kAlt;
        } else if (mod == "shift") {
            modifiers |= kShift;
        } else {
            throw KeyScriptError(file, line, "unknown modifier '" + std::string(text.substr(0, plus)) + "'");
        }
        text.remove_prefix(plus + 1);
    }
    if (text.empty()) throw KeyScriptError(file, line, "a key is missing");
    KeyStep step;
    const auto named = NamedKeys().find(base::LowerAscii(text));
    if (named != NamedKeys().end()) {
        step.key = named->second.key;
        if (named->second.typed != 0) step.typed = named->second.typed;
    } else {
        const std::string cp = base::Utf8ToCp1251(text);
        const bool letterOrDigit =
            cp.size() == 1 && (base::IsLetter1251(cp[0]) || cp[0] == '\xA8' || cp[0] == '\xB8' ||
                               (cp[0] >= '0' && cp[0] <= '9'));
        auto single = letterOrDigit ? CharacterStep(cp[0]) : std::nullopt;
        if (!single) throw KeyScriptError(file, line, "unknown key '" + std::string(text) + "'");
        step = *single;
        // "Ctrl+M" names the key: a capital implies Shift only when it is typed.
        if (modifiers & (kCtrl | kAlt)) step.modifiers &= static_cast<uint8_t>(~kShift);
    }
    step.modifiers |= modifiers;
    // A letter typed with Shift is a capital.
    if (step.typed && (step.modifiers & kShift) && base::IsLetter1251(*step.typed)) {
        const char c = *step.typed;
        if ((c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0xE0) {
            step.typed = static_cast<char>(static_cast<unsigned char>(c) - 32);
        }
    }
    if (step.typed && *step.typed == '\xB8' && (step.modifiers & kShift)) step.typed = '\xA8';
    if (step.modifiers & (kCtrl | kAlt)) step.typed.reset();
    return step;
}

}  // namespace

std::vector<KeyStep> ParseKeyScript(std::string_view utf8, const std::string& fileName) {
    std::vector<KeyStep> steps;
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= utf8.size()) {
        const size_t end = std::min(utf8.find('\n', pos), utf8.size());
        std::string_view line = Trim(utf8.substr(pos, end - pos));
        ++lineNo;
        pos = end + 1;
        if (line.empty() || line.front() == '#') {
            if (end == utf8.size()) break;
            continue;
        }
        bool settle = true;
        if (line.front() == '!') {
            settle = false;
            line = Trim(line.substr(1));
        }
        const size_t space = line.find(' ');
        const std::string verb = base::LowerAscii(line.substr(0, space));
        const std::string_view rest =
            space == std::string_view::npos ? std::string_view() : Trim(line.substr(space + 1));
        if (verb == "type") {
            if (rest.empty()) throw KeyScriptError(fileName, lineNo, "type needs a text");
            // The text as written after "type ", spaces included, a character at a time.
            const std::string_view text = line.substr(space + 1);
            for (size_t i = 0; i < text.size();) {
                size_t n = 1;
                const unsigned char lead = static_cast<unsigned char>(text[i]);
                if (lead >= 0xF0) {
                    n = 4;
                } else if (lead >= 0xE0) {
                    n = 3;
                } else if (lead >= 0xC0) {
                    n = 2;
                }
                const std::string_view utf8Char = text.substr(i, n);
                i += n;
                const std::string c = base::Utf8ToCp1251(utf8Char);
                auto step = base::FitsCp1251(utf8Char) && c.size() == 1 ? CharacterStep(c[0])
                                                                        : std::nullopt;
                if (!step) {
                    throw KeyScriptError(fileName, lineNo,
                                         "no key types '" + std::string(utf8Char) + "'");
                }
                step->settle = settle;
                step->line = lineNo;
                steps.push_back(*step);
            }
        } else if ((verb == "down" || verb == "up") && !rest.empty()) {
            KeyStep step = ParseKey(rest, fileName, lineNo);
            step.kind = verb == "down" ? KeyStep::Kind::Down : KeyStep::Kind::Up;
            step.settle = settle;
            step.line = lineNo;
            steps.push_back(step);
        } else if (verb == "wait") {
            int ms = 0;
            bool ok = !rest.empty() && rest.size() <= 9;
            for (char c : rest) {
                if (c < '0' || c > '9') ok = false;
                if (ok) ms = ms * 10 + (c - '0');
            }
            if (!ok) throw KeyScriptError(fileName, lineNo, "wait needs milliseconds");
            KeyStep step;
            step.kind = KeyStep::Kind::Wait;
            step.waitMs = ms;
            step.settle = settle;
            step.line = lineNo;
            steps.push_back(step);
        } else {
            if (space != std::string_view::npos) {
                throw KeyScriptError(fileName, lineNo, "unknown step '" + std::string(line) + "'");
            }
            KeyStep step = ParseKey(line, fileName, lineNo);
            step.settle = settle;
            step.line = lineNo;
            steps.push_back(step);
        }
        if (end == utf8.size()) break;
    }
    return steps;
}

void PushKeyEvents(std::deque<shell::Event>& out, int key, ui::ShiftState shift,
                   std::optional<char> typed, bool down, bool up) {
    shell::Event e;
    e.key = key;
    e.shift = shift;
    if (down) {
        e.kind = shell::Event::Kind::KeyDown;
        out.push_back(e);
        if (typed) {
            shell::Event press;
            press.kind = shell::Event::Kind::KeyPress;
            press.shift.CapsLockOn = shift.CapsLockOn;
            press.ch = *typed;
            out.push_back(press);
        }
    }
    if (up) {
        e.kind = shell::Event::Kind::KeyUp;
        out.push_back(e);
    }
}

void PushStepEvents(std::deque<shell::Event>& out, const KeyStep& step, bool capsLock) {
    if (step.kind == KeyStep::Kind::Wait) return;
    ui::ShiftState shift;
    shift.Shift = (step.modifiers & kShift) != 0;
    shift.Ctrl = (step.modifiers & kCtrl) != 0;
    shift.Alt = (step.modifiers & kAlt) != 0;
    shift.CapsLockOn = capsLock;
    PushKeyEvents(out, step.key, shift, step.typed, step.kind != KeyStep::Kind::Up,
                  step.kind != KeyStep::Kind::Down);
}

}  // namespace velmora::frontend
