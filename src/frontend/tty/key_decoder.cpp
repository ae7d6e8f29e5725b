#include "frontend/tty/key_decoder.h"

#include <array>
#include <charconv>

#include "base/encoding.h"
#include "frontend/common/key_script.h"

namespace velmora::frontend {
namespace {

constexpr char kEsc = '\x1b';

// The key and Shift of each character, as a key script types it: the same
// keys for the same letters on every front end (Cyrillic on the Russian layout).
struct CharKey {
    int key = 0;
    bool shift = false;
};

const std::array<CharKey, 256>& CharKeys() {
    static const std::array<CharKey, 256> table = [] {
        std::array<CharKey, 256> t{};
        t[' '] = {ui::vk::Space, false};
        for (int b = 0x21; b < 0x100; ++b) {
            if (b == 0x7f) continue;
            const std::string utf8 = base::Cp1251ToUtf8(std::string(1, static_cast<char>(b)));
            try {
                const auto steps = ParseKeyScript("type " + utf8, "");
                if (steps.size() == 1) {
                    t[static_cast<size_t>(b)] = {steps[0].key, (steps[0].modifiers & kShift) != 0};
                }
            } catch (const KeyScriptError&) {
                // No key types it: it arrives as a character alone.
            }
        }
        return t;
    }();
    return table;
}

bool IsLetter(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

KeyEvent Key(int key, std::optional<char> typed = {}) {
    KeyEvent e;
    e.key = key;
    e.typed = typed;
    return e;
}

// A character typed on its own.
KeyEvent CharEvent(char c1251) {
    const CharKey& k = CharKeys()[static_cast<unsigned char>(c1251)];
    KeyEvent e;
    e.key = k.key;
    e.shift.Shift = k.shift;
    e.typed = c1251;
    return e;
}

// A control byte: Ctrl with a letter or sign, or a key of its own.
KeyEvent ControlEvent(unsigned char b) {
    switch (b) {
        case 0x00: {
            KeyEvent e = Key(ui::vk::Space);
            e.shift.Ctrl = true;
            return e;
        }
        case 0x08:
        case 0x7f:
            return Key(ui::vk::Back, '\b');
        case 0x09:
            return Key(ui::vk::Tab, '\t');
        case 0x0d:
            return Key(ui::vk::Return, '\r');
        case 0x1b:
            return Key(ui::vk::Escape, '\x1b');
        default:
            break;
    }
    KeyEvent e;
    e.shift.Ctrl = true;
    if (b <= 0x1a) {
        e.key = 'A' + b - 1;
    } else {
        static constexpr int kSigns[] = {ui::vk::Oem5, ui::vk::Oem6, '6', ui::vk::OemMinus};
        e.key = kSigns[b - 0x1c];
    }
    return e;
}

// With Ctrl or Alt a key types nothing, as in key scripts.
KeyEvent WithModifiers(KeyEvent e, bool shift, bool alt, bool ctrl) {
    e.shift.Shift = e.shift.Shift || shift;
    e.shift.Alt = e.shift.Alt || alt;
    e.shift.Ctrl = e.shift.Ctrl || ctrl;
    if (e.shift.Alt || e.shift.Ctrl) e.typed.reset();
    return e;
}

// xterm's modifier parameter: 1 + Shift 1, Alt 2, Ctrl 4, Meta 8 (taken as Alt).
KeyEvent WithModifierParameter(KeyEvent e, int m) {
    if (m < 2) return e;
    const int bits = m - 1;
    return WithModifiers(e, (bits & 1) != 0, (bits & 10) != 0, (bits & 4) != 0);
}

// A Unicode code point with modifiers (modifyOtherKeys, the CSI u form).
std::optional<KeyEvent> CodePointEvent(int code, int m) {
    KeyEvent e;
    if (code == 13) {
        e = Key(ui::vk::Return, '\r');
    } else if (code == 27) {
        e = Key(ui::vk::Escape, '\x1b');
    } else if (code == 9) {
        e = Key(ui::vk::Tab, '\t');
    } else if (code == 8 || code == 127) {
        e = Key(ui::vk::Back, '\b');
    } else if (code >= 32) {
        const std::optional<char> typed = base::Cp1251Of(static_cast<char32_t>(code));
        if (!typed) return std::nullopt;
        e = CharEvent(*typed);
        // "Ctrl+m" names the key: Shift only when the modifier says so.
        if (m >= 2 && (((m - 1) & 6) != 0)) e.shift.Shift = false;
    } else {
        return std::nullopt;
    }
    return WithModifierParameter(e, m);
}

// Keys of "CSI n ~": the editing keys, and F1… as xterm, rxvt and the console number them.
std::optional<KeyEvent> TildeKey(int n) {
    switch (n) {
        case 1: case 7: return Key(ui::vk::Home);
        case 2: return Key(ui::vk::Insert);
        case 3: return Key(ui::vk::Delete);
        case 4: case 8: return Key(ui::vk::End);
        case 5: return Key(ui::vk::Prior);
        case 6: return Key(ui::vk::Next);
        case 11: case 12: case 13: case 14: case 15: return Key(ui::vk::F1 + n - 11);
        case 17: case 18: case 19: case 20: case 21: return Key(ui::vk::F1 + n - 12);
        case 23: case 24: return Key(ui::vk::F1 + n - 13);
        default: break;
    }
    // The console and rxvt: Shift+F3 … Shift+F10 come as F13 … F20.
    static constexpr int kShifted[] = {25, 26, 28, 29, 31, 32, 33, 34};
    for (int i = 0; i < 8; ++i) {
        if (n == kShifted[i]) return WithModifiers(Key(ui::vk::F1 + 2 + i), true, false, false);
    }
    return std::nullopt;
}

// The final letter of cursor and function keys, in either CSI or SS3 form.
std::optional<KeyEvent> LetterKey(char f) {
    switch (f) {
        case 'A': return Key(ui::vk::Up);
        case 'B': return Key(ui::vk::Down);
        case 'C': return Key(ui::vk::Right);
        case 'D': return Key(ui::vk::Left);
        case 'H': return Key(ui::vk::Home);
        case 'F': return Key(ui::vk::End);
        case 'E': return Key(ui::vk::Clear);
        case 'P': case 'Q': case 'R': case 'S': return Key(ui::vk::F1 + (f - 'P'));
        default: return std::nullopt;
    }
}

// The numeric pad in its application mode (SS3 only).
std::optional<KeyEvent> KeypadKey(char f) {
    if (f >= 'p' && f <= 'y') return Key(ui::vk::Numpad0 + (f - 'p'), static_cast<char>('0' + (f - 'p')));
    switch (f) {
        case 'j': return Key(ui::vk::Multiply, '*');
        case 'k': return Key(ui::vk::Add, '+');
        case 'l': return Key(ui::vk::Separator, ',');
        case 'm': return Key(ui::vk::Subtract, '-');
        case 'n': return Key(ui::vk::Decimal, '.');
        case 'o': return Key(ui::vk::Divide, '/');
        case 'M': return Key(ui::vk::Return, '\r');
        case 'X': return CharEvent('=');
        default: return std::nullopt;
    }
}

// Numbers separated by ';' (a ':' sub-parameter is ignored); none for anything else.
std::optional<std::vector<int>> Parameters(std::string_view text) {
    std::vector<int> out;
    if (text.empty()) return out;
    size_t pos = 0;
    for (;;) {
        const size_t semi = std::min(text.find(';', pos), text.size());
        std::string_view field = text.substr(pos, semi - pos);
        field = field.substr(0, std::min(field.find(':'), field.size()));
        int value = 1;
        if (!field.empty()) {
            const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
            if (ec != std::errc() || end != field.data() + field.size()) return std::nullopt;
        }
        out.push_back(value);
        if (semi == text.size()) return out;
        pos = semi + 1;
    }
}

// How long the escape sequence at the start of `buf` (ESC [ or ESC O) is; 0
// when it is not complete yet. A byte that cannot belong to it ends it early.
size_t SequenceLength(std::string_view buf) {
    if (buf[1] == '[' && buf.size() >= 3 && buf[2] == '[') return buf.size() >= 4 ? 4 : 0;  // the console's F1–F5
    for (size_t i = 2; i < buf.size(); ++i) {
        const auto b = static_cast<unsigned char>(buf[i]);
        if (buf[1] == '[' && b == '$') return i + 1;  // rxvt's Shift
        if (b >= 0x40 && b <= 0x7e) return i + 1;
        if (b < 0x20 || b > 0x3f) return i;  // broken off: dropped up to here
    }
    return 0;
}

// The length of the UTF-8 character that `lead` starts; 0 for a byte that starts none.
size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Of a character of `len` bytes at the start of `buf`: how many bytes are
// there so far, or 0 when a byte that is no continuation breaks it.
size_t Utf8Present(std::string_view buf, size_t len) {
    size_t i = 1;
    for (; i < len && i < buf.size(); ++i) {
        if ((static_cast<unsigned char>(buf[i]) & 0xC0) != 0x80) return 0;
    }
    return i;
}

}  // namespace

KeyDecoder::KeyDecoder(TermKeys keys, std::chrono::milliseconds escapeTimeout)
    : keys_(std::move(keys)), timeout_(escapeTimeout) {
    CharKeys();  // built once, before the first key waits for it
}

std::optional<KeyDecoder::Clock::time_point> KeyDecoder::Deadline() const {
    if (pending_.empty()) return std::nullopt;
    return pendingSince_ + timeout_;
}

std::vector<KeyEvent> KeyDecoder::Feed(std::string_view bytes, Clock::time_point now) {
    std::vector<KeyEvent> out;
    if (bytes.empty()) return out;
    if (pending_.empty()) pendingSince_ = now;
    pending_ += bytes;
    while (!pending_.empty()) {
        const size_t before = pending_.size();
        if (Decode(false, out) == Step::NeedMore) break;
        if (pending_.size() < before) pendingSince_ = now;
    }
    return out;
}

std::vector<KeyEvent> KeyDecoder::Flush(Clock::time_point now) {
    std::vector<KeyEvent> out;
    if (pending_.empty() || now < pendingSince_ + timeout_) return out;
    while (!pending_.empty()) Decode(true, out);
    return out;
}

void KeyDecoder::NoteLetter(char c1251) {
    const auto b = static_cast<unsigned char>(c1251);
    if (IsLetter(b)) lastCyrillic_ = b >= 0x80;
}

void KeyDecoder::Emit(KeyEvent e, std::vector<KeyEvent>& out) { out.push_back(TtyAlternative(e)); }

std::optional<KeyEvent> KeyDecoder::Sequence(std::string_view seq) const {
    for (const auto& [bytes, e] : keys_.sequences) {
        if (bytes == seq) return e;
    }
    const bool csi = seq[1] == '[';
    if (csi && seq.size() == 4 && seq[2] == '[') {
        if (seq[3] >= 'A' && seq[3] <= 'E') return Key(ui::vk::F1 + (seq[3] - 'A'));
        return std::nullopt;
    }
    const char final = seq.back();
    // A sequence broken off by a byte that cannot belong to it means nothing.
    if (seq.size() < 3 || ((final < 0x40 || final > 0x7e) && final != '$')) return std::nullopt;
    const std::string_view body = seq.substr(2, seq.size() - 3);
    const auto params = Parameters(body);
    if (!params) return std::nullopt;  // private forms: mouse reports, answers
    const std::vector<int>& p = *params;
    const int m = p.size() >= 2 ? p[1] : 1;
    if (!csi) {
        // SS3: "ESC O 5 A" carries the modifier alone.
        const int ssm = p.empty() ? 1 : p.back();
        if (p.size() > 1) return std::nullopt;
        if (auto k = LetterKey(final)) return WithModifierParameter(*k, ssm);
        if (auto k = KeypadKey(final)) return WithModifierParameter(*k, ssm);
        if (final >= 'a' && final <= 'd') {  // rxvt's Ctrl+cursor
            static constexpr int kArrows[] = {ui::vk::Up, ui::vk::Down, ui::vk::Right, ui::vk::Left};
            return WithModifiers(Key(kArrows[final - 'a']), false, false, true);
        }
        return std::nullopt;
    }
    switch (final) {
        case '~':
        case '^':
        case '$':
        case '@': {
            if (p.empty()) return std::nullopt;
            if (p[0] == 27 && p.size() == 3 && final == '~') return CodePointEvent(p[2], p[1]);
            auto k = TildeKey(p[0]);
            if (!k) return std::nullopt;
            if (final == '^') return WithModifiers(*k, false, false, true);
            if (final == '$') return WithModifiers(*k, true, false, false);
            if (final == '@') return WithModifiers(*k, true, false, true);
            return WithModifierParameter(*k, m);
        }
        case 'u':
            if (p.empty()) return std::nullopt;
            return CodePointEvent(p[0], m);
        case 'Z':
            return WithModifierParameter(Key(ui::vk::Tab, '\t'), p.size() >= 2 ? m : 2);
        case 'a': case 'b': case 'c': case 'd': {  // rxvt's Shift+cursor
            static constexpr int kArrows[] = {ui::vk::Up, ui::vk::Down, ui::vk::Right, ui::vk::Left};
            return WithModifiers(Key(kArrows[final - 'a']), true, false, false);
        }
        default:
            if (auto k = LetterKey(final)) return WithModifierParameter(*k, m);
            return std::nullopt;
    }
}

KeyDecoder::Step KeyDecoder::Decode(bool final, std::vector<KeyEvent>& out) {
    const std::string_view buf = pending_;
    const auto b0 = static_cast<unsigned char>(buf[0]);
    auto consume = [this](size_t n) { pending_.erase(0, n); };
    const bool wasReturn = std::exchange(afterReturn_, false);

    if (b0 == kEsc) {
        if (buf.size() == 1) {
            if (!final) return Step::NeedMore;
            Emit(ControlEvent(b0), out);
            consume(1);
            return Step::Done;
        }
        const auto b1 = static_cast<unsigned char>(buf[1]);
        if (b1 == '[' || b1 == 'O') {
            const size_t n = SequenceLength(buf);
            if (n == 0) {
                if (!final) return Step::NeedMore;
                if (buf.size() == 2) {
                    // Nothing followed: Alt with the bracket or the letter O.
                    Emit(WithModifiers(CharEvent(static_cast<char>(b1)), false, true, false), out);
                }
                consume(buf.size());  // an unfinished sequence is dropped whole
                return Step::Done;
            }
            if (auto k = Sequence(buf.substr(0, n))) Emit(*k, out);
            consume(n);
            return Step::Done;
        }
        // The terminal's own sequences of another shape (the console's ESC Tab).
        for (const auto& [bytes, e] : keys_.sequences) {
            if (bytes.size() < 2 || bytes[1] == '[' || bytes[1] == 'O') continue;
            if (buf.substr(0, bytes.size()) == bytes) {
                Emit(e, out);
                consume(bytes.size());
                return Step::Done;
            }
            if (!final && bytes.substr(0, buf.size()) == buf) return Step::NeedMore;
        }
        if (b1 == kEsc) {
            // ESC before a whole sequence is Alt with that key; otherwise Escape itself.
            if (buf.size() == 2 && !final) return Step::NeedMore;
            if (buf.size() >= 3 && (buf[2] == '[' || buf[2] == 'O')) {
                const size_t n = SequenceLength(buf.substr(1));
                if (n == 0 && !final) return Step::NeedMore;
                if (n > 0) {
                    if (auto k = Sequence(buf.substr(1, n))) Emit(WithModifiers(*k, false, true, false), out);
                    consume(n + 1);
                    return Step::Done;
                }
            }
            Emit(ControlEvent(b0), out);
            consume(1);
            return Step::Done;
        }
        // Alt as an ESC prefix of a character.
        if (b1 < 0x20 || b1 == 0x7f) {
            Emit(WithModifiers(ControlEvent(b1), false, true, false), out);
            consume(2);
            return Step::Done;
        }
        const size_t len = Utf8Length(b1);
        const size_t present = len == 0 ? 0 : Utf8Present(buf.substr(1), len);
        if (present == 0) {
            consume(2);  // not a character: dropped with its ESC
            return Step::Done;
        }
        if (present < len) {
            if (!final) return Step::NeedMore;
            consume(buf.size());
            return Step::Done;
        }
        const std::string_view utf8 = buf.substr(1, len);
        if (base::FitsCp1251(utf8)) {
            const char c = base::Utf8ToCp1251(utf8)[0];
            NoteLetter(c);
            KeyEvent e = CharEvent(c);
            if (e.key != 0) Emit(WithModifiers(e, false, true, false), out);
        }
        consume(1 + len);
        return Step::Done;
    }

    if (b0 < 0x20 || b0 == 0x7f) {
        consume(1);
        if (b0 == '\r') afterReturn_ = true;
        if (b0 == '\n') {
            if (wasReturn) return Step::Done;  // CR LF from a client that sends both
            Emit(WithModifiers(Key(ui::vk::Return), false, false, true), out);
            return Step::Done;
        }
        Emit(ControlEvent(b0), out);
        return Step::Done;
    }

    const size_t len = Utf8Length(b0);
    const size_t present = len == 0 ? 0 : Utf8Present(buf, len);
    if (present == 0) {
        consume(1);  // not the start of a character
        return Step::Done;
    }
    if (present < len) {
        if (!final) return Step::NeedMore;
        consume(buf.size());
        return Step::Done;
    }
    const std::string_view utf8 = buf.substr(0, len);
    if (base::FitsCp1251(utf8)) {
        const char c = base::Utf8ToCp1251(utf8)[0];
        NoteLetter(c);
        Emit(CharEvent(c), out);
    }
    consume(len);
    return Step::Done;
}

KeyEvent TtyAlternative(const KeyEvent& e) {
    const bool plain = !e.shift.Shift && !e.shift.Alt && !e.shift.Ctrl;
    KeyEvent ctrl;
    ctrl.shift.Ctrl = true;
    if (plain && e.key >= ui::vk::F1 + 4 && e.key <= ui::vk::F1 + 8) {
        static constexpr int kTargets[] = {ui::vk::Subtract, ui::vk::Add, ui::vk::Divide, ui::vk::Multiply, 'M'};
        ctrl.key = kTargets[e.key - (ui::vk::F1 + 4)];
        return ctrl;
    }
    if (e.key == 'M' && e.shift.Alt && !e.shift.Ctrl && !e.shift.Shift) {
        ctrl.key = 'M';
        return ctrl;
    }
    // A terminal sends no Ctrl pressed alone, which silences the voice:
    // Ctrl+Space (a NUL byte on every terminal) stands in for it.
    if (e.key == ui::vk::Space && e.shift.Ctrl && !e.shift.Alt && !e.shift.Shift) {
        ctrl.key = ui::vk::Control;
        return ctrl;
    }
    // Some terminals keep F10 for their own menu: Shift+F12 repeats the last text too.
    if (e.key == ui::vk::F12 && e.shift.Shift && !e.shift.Alt && !e.shift.Ctrl) {
        return Key(ui::vk::F10);
    }
    return e;
}

std::string TtyKeysHelp() {
    return "Keys in a terminal (--frontend tty):\n"
           "  A terminal cannot send some of the game's keys; these stand in for them:\n"
           "    F5 / F6          speech slower / faster     (Ctrl+numeric-pad minus / plus)\n"
           "    F7 / F8          music quieter / louder     (Ctrl+numeric-pad slash / star)\n"
           "    F9 or Alt+M      music on or off            (Ctrl+M, which arrives as Enter)\n"
           "    Ctrl+J           Ctrl+Enter (ends editing a long text)\n"
           "    Ctrl+Space       Ctrl pressed alone (silences the voice)\n"
           "    Shift+F12        F10 (the last text again), where the terminal keeps F10\n"
           "  Terminals that report modified keys themselves (xterm's modifyOtherKeys,\n"
           "  the CSI u form) send Ctrl+M as it is.\n"
           "  Ctrl+C, SIGINT, SIGTERM and SIGHUP end the game as its own exit does.\n"
           "  Ctrl+Z stops the game and gives the terminal back to the shell; fg\n"
           "  brings the game back where it was.\n"
           "  The terminal cannot see Caps Lock: the game always takes it as off, and\n"
           "  pressing it gives no cue.\n"
           "  Key releases are not seen either: each key is pressed and let go at once.\n"
           "  On the linux console Shift+F1 and Shift+F2 arrive as F11 and F12.\n"
           "  Every spoken text is also printed as a line, for a screen reader or braille.\n";
}

}  // namespace velmora::frontend
