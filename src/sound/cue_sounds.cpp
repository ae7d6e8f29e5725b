#include "sound/cue_sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>

#include "base/cues.h"

namespace velmora::sound {
namespace {

constexpr int kRate = 22050;

// One tone gliding from `from` to `to` Hz; a zero frequency is a pause.
struct Note {
    double from;
    double to;
    int ms;
    bool ping = false;  // dies away instead of holding
};

PcmSound Render(std::initializer_list<Note> notes) {
    PcmSound out;
    out.rate = kRate;
    for (const Note& note : notes) {
        const int n = kRate * note.ms / 1000;
        if (note.from <= 0) {
            out.samples.insert(out.samples.end(), static_cast<std::size_t>(n), 0);
            continue;
        }
        // Raised-cosine edges: a few milliseconds are enough to avoid a click.
        const double attack = std::min(n / 4.0, kRate * 0.004);
        const double release = std::min(n / 3.0, kRate * 0.015);
        double phase = 0;
        for (int i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / n;
            const double freq = note.from + (note.to - note.from) * t;
            phase += 2 * std::numbers::pi * freq / kRate;
            double env = note.ping ? std::exp(-4.0 * t) : 1.0;
            if (i < attack) env *= 0.5 - 0.5 * std::cos(std::numbers::pi * i / attack);
            const double left = n - 1 - i;
            if (left < release) env *= 0.5 - 0.5 * std::cos(std::numbers::pi * left / release);
            // A little of the octave makes small speakers carry the tone.
            const double wave = std::sin(phase) + 0.15 * std::sin(2 * phase);
            out.samples.push_back(static_cast<std::int16_t>(std::lround(wave * env * 12000)));
        }
    }
    return out;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool HasCueSound(int number) {
    switch (number) {
        case base::kCueLayoutEnglish:
        case base::kCueLayoutRussian:
        case base::kCueLayoutOther:
        case base::kCueLineClosed:
        case base::kCueBoundary:
        case base::kCueOneMatch:
        case base::kCueNoMatch:
        case base::kCueCapsOn:
        case base::kCueCapsOff:
        case base::kCueCapital:
            return true;
        default:
            return false;
    }
}

PcmSound MakeCueSound(int number) {
    switch (number) {
        case base::kCueLayoutEnglish:
            return Render({{660, 660, 70}, {0, 0, 20}, {990, 990, 70}});
        case base::kCueLayoutRussian:
            return Render({{990, 990, 70}, {0, 0, 20}, {660, 660, 70}});
        case base::kCueLayoutOther:
            return Render({{820, 820, 60}, {0, 0, 40}, {820, 820, 60}});
        case base::kCueLineClosed:
            return Render({{900, 450, 110}});
        case base::kCueBoundary:
            return Render({{520, 520, 70, true}});
        case base::kCueOneMatch:
            return Render({{1568, 1568, 120, true}});
        case base::kCueNoMatch:
            return Render({{300, 220, 160}});
        case base::kCueCapsOn:
            return Render({{600, 1200, 90}});
        case base::kCueCapsOff:
            return Render({{1200, 600, 90}});
        case base::kCueCapital:
            return Render({{2093, 2093, 40, true}});
        default:
            return MakeBeepSound();
    }
}

PcmSound MakeBeepSound() {
    return Render({{880, 880, 150}});
}

std::string WaveFileBytes(const PcmSound& sound) {
    const std::uint32_t data = static_cast<std::uint32_t>(sound.samples.size() * 2);
    std::string out;
    out.reserve(44 + data);
    out += "RIFF";
    PutLe(out, 36 + data, 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);  // PCM
    PutLe(out, 1, 2);  // mono
    PutLe(out, static_cast<std::uint32_t>(sound.rate), 4);
    PutLe(out, static_cast<std::uint32_t>(sound.rate) * 2, 4);
    PutLe(out, 2, 2);
    PutLe(out, 16, 2);
    out += "data";
    PutLe(out, data, 4);
    for (std::int16_t s : sound.samples) PutLe(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

}  // namespace velmora::sound
