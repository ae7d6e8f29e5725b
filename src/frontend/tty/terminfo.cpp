// TermKeys::Load: the only place that sees the terminfo headers, whose
// capability macros (lines, columns, tab, …) would clash with any other code.
#include <unistd.h>

#include <curses.h>
#include <term.h>

#include "frontend/tty/key_decoder.h"

namespace velmora::frontend {
namespace {

// tigetstr gives null for a missing capability and (char*)-1 for one that is not a string.
std::string Capability(const char* name) {
    const char* value = tigetstr(name);
    if (value == nullptr || value == reinterpret_cast<const char*>(-1)) return {};
    return value;
}

bool HasModifierParameter(std::string_view seq) { return seq.find(';') != std::string_view::npos; }

}  // namespace

std::optional<TermKeys> TermKeys::Load(const std::string& term, std::string* why) {
    if (term.empty()) {
        if (why) *why = "TERM is not set";
        return std::nullopt;
    }
    int err = 0;
    if (setupterm(term.c_str(), STDOUT_FILENO, &err) != OK) {
        if (why) *why = "no terminfo entry for TERM=" + term;
        return std::nullopt;
    }
    TermKeys keys;
    keys.name = term;
    auto add = [&keys](const char* cap, int key, bool shift = false, std::optional<char> typed = {}) {
        const std::string seq = Capability(cap);
        // Only sequences; a lone control byte (kbs) is decoded as the byte it is.
        if (seq.size() < 2 || seq[0] != '\x1b') return;
        KeyEvent e;
        e.key = key;
        e.shift.Shift = shift;
        e.typed = typed;
        keys.sequences.emplace_back(seq, e);
    };
    add("kcuu1", ui::vk::Up);
    add("kcud1", ui::vk::Down);
    add("kcub1", ui::vk::Left);
    add("kcuf1", ui::vk::Right);
    add("khome", ui::vk::Home);
    add("kend", ui::vk::End);
    add("kpp", ui::vk::Prior);
    add("knp", ui::vk::Next);
    add("kich1", ui::vk::Insert);
    add("kdch1", ui::vk::Delete);
    add("kbs", ui::vk::Back, false, '\b');
    add("kcbt", ui::vk::Tab, true, '\t');
    add("kent", ui::vk::Return, false, '\r');
    // The numeric pad with Num Lock off, where the terminal tells it apart.
    add("ka1", ui::vk::Home);
    add("ka3", ui::vk::Prior);
    add("kb2", 12);  // the centre key: VK_CLEAR
    add("kc1", ui::vk::End);
    add("kc3", ui::vk::Next);
    for (int n = 1; n <= 12; ++n) add(("kf" + std::to_string(n)).c_str(), ui::vk::F1 + n - 1);
    // Above F12 the linux console and rxvt send Shift+F3… as F13…; xterm-like
    // terminals write the modifier into the sequence, which the decoder reads.
    for (int n = 13; n <= 20; ++n) {
        const std::string name = "kf" + std::to_string(n);
        if (!HasModifierParameter(Capability(name.c_str()))) add(name.c_str(), ui::vk::F1 + n - 11, true);
    }
    keys.keypadOn = Capability("smkx");
    keys.keypadOff = Capability("rmkx");
    del_curterm(cur_term);
    return keys;
}

}  // namespace velmora::frontend
