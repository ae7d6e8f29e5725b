#include "frontend/tty/printing_speech.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/encoding.h"
#include "speech/simple_outputs.h"
#include "speech/speech_router.h"

namespace velmora::frontend {
namespace {

using speech::SpeechOutputKind;

std::string Cp(const char* utf8) { return base::Utf8ToCp1251(utf8); }

class RecordingOutput : public speech::SpeechOutput {
public:
    RecordingOutput(SpeechOutputKind kind, std::vector<std::string>* log) : kind_(kind), log_(log) {}
    SpeechOutputKind Kind() const override { return kind_; }
    void Speak(const std::string& text) override { log_->push_back("say " + base::Cp1251ToUtf8(text)); }
    void Cue(int n) override { log_->push_back("cue " + std::to_string(n)); }
    void SetRate(int r) override { log_->push_back("rate " + std::to_string(r)); }
    bool Speaking() const override { return true; }
    void AudioReset() override { log_->push_back("reset"); }

private:
    SpeechOutputKind kind_;
    std::vector<std::string>* log_;
};

TEST(PrintingSpeech, EachTextIsOneSafeLine) {
    EXPECT_EQ(PrintableLine(Cp("Главное меню: Новая игра\r\nЗагрузить игру\r\nВыход")).str(),
              "Главное меню: Новая игра, Загрузить игру, Выход");
    EXPECT_EQ(PrintableLine(Cp("Как играть.\r\n\r\nСтрелки выбирают.\n")).str(), "Как играть. Стрелки выбирают.");
    EXPECT_EQ(PrintableLine(Cp("\r\nПусто \r\n")).str(), "Пусто");
    // A text from a game file cannot send the terminal commands.
    EXPECT_EQ(PrintableLine("a\x1b]0;title\x07z").str(), "a ]0;title z");
    EXPECT_EQ(PrintableLine("\x98").str(), "\xef\xbf\xbd");
}

TEST(PrintingSpeech, WithSilentSpeechTheRouterStillHandsOverEveryText) {
    std::vector<std::string> lines;
    int beeps = 0;
    speech::SpeechRouter router;
    router.OpenSpeech(std::make_unique<PrintingSpeech>(
        [&lines](const base::Utf8& line) { lines.push_back(line.str()); },
        std::make_unique<speech::NoneOutput>([&beeps] { ++beeps; })));
    // It takes texts as a screen reader that never reports an end: speech is
    // never busy, and a page's voice wait is a pause of its own.
    EXPECT_EQ(router.Output(), SpeechOutputKind::soJaws);
    router.SayText(Cp("Новая игра"));
    router.SayText(Cp("Выход"));
    router.PlayCue(13);
    router.SetSpeechRate(80);
    EXPECT_EQ(lines, (std::vector<std::string>{"Новая игра", "Выход", "(стоп)"}));
    EXPECT_FALSE(router.SpeechBusy);
    EXPECT_EQ(beeps, 1);

    PrintingSpeech alone([&lines](const base::Utf8& line) { lines.push_back(line.str()); }, nullptr);
    EXPECT_EQ(alone.Kind(), SpeechOutputKind::soJaws);
    alone.Speak("x");
    alone.Cue(1);
    EXPECT_FALSE(alone.Speaking());
    EXPECT_EQ(lines.back(), "x");
}

TEST(PrintingSpeech, ARealOutputGetsEverythingAsWell) {
    for (SpeechOutputKind kind : {SpeechOutputKind::soReader, SpeechOutputKind::soSapi}) {
        std::vector<std::string> lines, log;
        PrintingSpeech speech([&lines](const base::Utf8& line) { lines.push_back(line.str()); },
                              std::make_unique<RecordingOutput>(kind, &log));
        EXPECT_EQ(speech.Kind(), kind);
        speech.Speak(Cp("Вельмора"));
        speech.Cue(2);
        speech.SetRate(40);
        EXPECT_TRUE(speech.Speaking());
        speech.AudioReset();
        EXPECT_EQ(lines, std::vector<std::string>{"Вельмора"});
        EXPECT_EQ(log, (std::vector<std::string>{"say Вельмора", "cue 2", "rate 40", "reset"}));
    }
}

// --speech print in the terminal: the print output would write every text a
// second time, and its cues and rates as English words the screen reader
// reads out. Each text is printed once; the print output still ends every
// text at once (the game's waits depend on it), and cues are only heard.
TEST(PrintingSpeech, ThePrintOutputLeavesThePrintingToTheTerminal) {
    char* buf = nullptr;
    size_t size = 0;
    std::FILE* mem = open_memstream(&buf, &size);
    ASSERT_NE(mem, nullptr);
    std::vector<std::string> lines;
    std::vector<int> cues;
    int ended = 0;
    speech::SpeechRouter router;
    router.OpenSpeech(std::make_unique<PrintingSpeech>(
        [&lines](const base::Utf8& line) { lines.push_back(line.str()); },
        std::make_unique<speech::PrintOutput>(
            mem, [&ended](speech::SpeechEvent e) { ended += e == speech::SpeechEvent::SpeechEnded; }),
        [&cues](int n) { cues.push_back(n); }));
    EXPECT_EQ(router.Output(), SpeechOutputKind::soReader);
    router.SetSpeechRate(60);
    router.SayText(Cp("Главное меню: Новая игра\r\nВыход"));
    EXPECT_EQ(ended, 1);
    router.PlayCue(13);
    router.SetSpeechRate(80);
    router.SayText(Cp("Новая игра"));
    router.Acknowledge();  // a setting's cue, with words of its own: no word printed
    router.PlayCue(31);
    std::fclose(mem);
    const std::string written(buf, size);
    std::free(buf);
    // A boundary and a search that found nothing are printed as words too.
    EXPECT_EQ(lines, (std::vector<std::string>{"Главное меню: Новая игра, Выход", "(стоп)",
                                               "Новая игра", "(нет такого)"}));
    EXPECT_EQ(written, "");
    EXPECT_EQ(cues, (std::vector<int>{13, 13, 31}));
    EXPECT_EQ(ended, 2);
}

// Without the terminal front end (the window with --speech print) the print
// output writes to standard output itself, which may be the player's terminal.
TEST(PrintingSpeech, ThePrintOutputAloneWritesNoControlByte) {
    char* buf = nullptr;
    size_t size = 0;
    std::FILE* mem = open_memstream(&buf, &size);
    ASSERT_NE(mem, nullptr);
    {
        speech::PrintOutput out(mem, {});
        out.Speak(Cp("Экран: \x1b]0;title\x07\x1b[2J\x1b[?1049h\x1b[6nДвор\r\nдва") + "\x98");
    }
    std::fclose(mem);
    EXPECT_EQ(std::string(buf, size), "Экран: ?]0;title??[2J?[?1049h?[6nДвор  два\xEF\xBF\xBD\n");
    std::free(buf);
}

}  // namespace
}  // namespace velmora::frontend
