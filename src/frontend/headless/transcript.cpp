#include "frontend/headless/transcript.h"

#include "base/encoding.h"

namespace velmora::frontend {

std::string TranscriptText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

void TranscriptWriter::Line(const std::string& line) {
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

std::string TranscriptWriter::Shown(const std::filesystem::path& file) const {
    const std::filesystem::path relative = file.lexically_relative(programFolder_);
    const bool inside = !relative.empty() && *relative.begin() != "..";
    return (inside ? relative : file).generic_string();
}

void TranscriptWriter::Say(std::string_view text) {
    Line("say: " + TranscriptText(base::Cp1251ToUtf8(text)));
}
void TranscriptWriter::Review(std::string_view text) {
    Line("review: " + TranscriptText(base::Cp1251ToUtf8(text)));
}
void TranscriptWriter::Cue(int number) { Line("cue: " + std::to_string(number)); }
void TranscriptWriter::Beep() { Line("beep"); }
void TranscriptWriter::Tone(int hz, int ms) {
    Line("tone: " + std::to_string(hz) + " " + std::to_string(ms));
}
void TranscriptWriter::Rate(int rate) { Line("rate: " + std::to_string(rate)); }
void TranscriptWriter::Effect(int number) { Line("effect: " + std::to_string(number)); }
void TranscriptWriter::Sound(std::string_view name) {
    Line("sound: " + TranscriptText(base::Cp1251ToUtf8(name)));
}
void TranscriptWriter::Music(const std::filesystem::path& file) { Line("music: " + Shown(file)); }
void TranscriptWriter::MusicStop() { Line("music: stop"); }
void TranscriptWriter::Volume(int percent) { Line("volume: " + std::to_string(percent)); }
void TranscriptWriter::Picture(std::string_view component, const std::filesystem::path& file) {
    Line("picture: " + std::string(component) + " " + Shown(file));
}
void TranscriptWriter::View(std::string_view name) { Line("view: " + std::string(name)); }

}  // namespace velmora::frontend
