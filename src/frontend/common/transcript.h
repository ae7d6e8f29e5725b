// The transcript of a headless run: everything the player would hear or see
// change, one event a line, UTF-8.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::frontend {

// A spoken text on one line: line breaks as "\n", backslashes doubled, tab
// as "\t", ESC as "\e", every other control byte (C1 controls included) and
// each byte of broken UTF-8 as "\xHH".
std::string TranscriptText(std::string_view utf8);

class TranscriptWriter {
public:
    // Writes to out (not owned); paths are shown relative to the program folder.
    TranscriptWriter(std::FILE* out, std::filesystem::path programFolder)
        : out_(out), programFolder_(std::move(programFolder)) {}

    void Say(std::string_view text1251);
    // A text the player asked to hear again ("review: …").
    void Review(std::string_view text1251);
    void Cue(int number);
    void Beep();
    void Tone(int hz, int ms);
    void Rate(int rate);
    void Effect(int number);
    void Sound(std::string_view name1251);
    void Music(const std::filesystem::path& file);
    void MusicStop();
    void Volume(int percent);
    void Picture(std::string_view component, const std::filesystem::path& file);
    void View(std::string_view name);

    // A path as the transcript shows it: relative to the program folder, '/' separators.
    std::string Shown(const std::filesystem::path& file) const;

private:
    void Line(const std::string& line);

    std::FILE* out_;
    std::filesystem::path programFolder_;
};

}  // namespace velmora::frontend
