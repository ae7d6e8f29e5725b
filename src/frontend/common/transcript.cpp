#include "frontend/common/transcript.h"

#include "base/encoding.h"
#include "base/terminal_text.h"

namespace velmora::frontend {

std::string TranscriptText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    // A control byte would drive the terminal the transcript is read on.
    const auto hex = [&out](unsigned char b) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        out += "\\x";
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    };
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b == '\\') {
            out += "\\\\";
        } else if (b == '\r' || b == '\n') {
            out += "\\n";
            if (b == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else if (b == '\t') {
            out += "\\t";
        } else if (b == 0x1B) {
            out += "\\e";
        } else if (b < 0x20 || b == 0x7F) {
            hex(b);
        } else if (b >= 0x80) {
            char32_t cp = 0;
            const size_t len = base::ValidUtf8Length(utf8.substr(i), &cp);
            if (len == 0 || cp <= 0x9F) {
                // Broken UTF-8 byte by byte; a C1 control as its two bytes.
                const size_t n = len == 0 ? 1 : len;
                for (size_t k = 0; k < n; ++k) hex(static_cast<unsigned char>(utf8[i + k]));
                i += n;
                continue;
            }
            out.append(utf8.substr(i, len));
            i += len;
            continue;
        } else {
            out += static_cast<char>(b);
        }
        ++i;
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
void TranscriptWriter::Music(const std::filesystem::path& file) {
    Line("music: " + TranscriptText(Shown(file)));
}
void TranscriptWriter::MusicStop() { Line("music: stop"); }
void TranscriptWriter::Volume(int percent) { Line("volume: " + std::to_string(percent)); }
void TranscriptWriter::Picture(std::string_view component, const std::filesystem::path& file) {
    Line("picture: " + TranscriptText(component) + " " + TranscriptText(Shown(file)));
}
void TranscriptWriter::View(std::string_view name) { Line("view: " + TranscriptText(name)); }

}  // namespace velmora::frontend
