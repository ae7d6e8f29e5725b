// How soon a key is heard: the time from a key event reaching the shell to
// the text it speaks being handed to the speech output, in a talking menu of
// 1,000 entries. The menu is the game's own: a screen with 1,000 objects and
// the "Осмотреть" verb, whose list the shell builds as it does in play. Timed
// are the arrow key Down and letters typed into the incremental search.
//
//   key_to_speech [--entries N] [--rounds R]
//
// Prints p50, p99 and the worst time of each; the goal is p99 under 1 ms.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/cp1251.h"
#include "shell_stubs.h"
#include "temp_folder.h"
#include "base/encoding.h"
#include "shell/form1.h"
#include "sound/sound_driver.h"
#include "speech/speech_output.h"
#include "ui/keys.h"

namespace {

namespace fs = std::filesystem;
using namespace velmora;
using bench::PostedEvents;
using bench::QuietFrontEnd;
using bench::TempFolder;
using Clock = std::chrono::steady_clock;

std::string Ru(std::string_view utf8) { return base::Utf8ToCp1251(utf8); }

void WriteKeyLines(const fs::path& file, const std::vector<std::string>& utf8Lines) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    for (const std::string& line : utf8Lines) out << Ru(line) << "\r\n";
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

// Object names as a large room of an adventure would have them: twenty
// adjectives, fifty things, so typed first letters match dozens of entries.
const std::vector<std::string> kAdjectives = {
    "ржавый",  "старый",   "медный",   "железный", "деревянный", "глиняный", "серебряный",
    "золотой", "каменный", "стеклянный", "кожаный", "шёлковый", "тяжёлый",   "лёгкий",
    "пыльный", "сломанный", "новый",   "большой",  "маленький", "тёмный"};
const std::vector<std::string> kThings = {
    "ключ",    "сундук",  "меч",     "щит",     "кубок",   "подсвечник", "фонарь", "топор",
    "молот",   "кинжал",  "посох",   "свиток",  "ларец",   "котёл",      "кувшин", "колокол",
    "замок",   "браслет", "перстень", "амулет", "шлем",    "плащ",       "пояс",   "сапог",
    "мешок",   "камень",  "кристалл", "череп",  "рог",     "барабан",    "компас", "телескоп",
    "глобус",  "кошелёк", "гребень", "нож",     "ковш",    "ящик",       "стул",   "стол",
    "шкаф",    "ковёр",   "гобелен", "портрет", "канделябр", "медальон", "жезл",   "скипетр",
    "венец",   "половник"};

std::string ObjectTitle(int i) {
    const auto a = static_cast<size_t>(i) % kAdjectives.size();
    const auto t = (static_cast<size_t>(i) / kAdjectives.size()) % kThings.size();
    std::string title = kAdjectives[a] + " " + kThings[t];
    // Past 1,000 the names would repeat; a number keeps each one its own.
    if (i >= static_cast<int>(kAdjectives.size() * kThings.size())) {
        title.append(" ").append(std::to_string(i));
    }
    return title;
}

// A game whose first screen holds `entries` visible objects.
void WriteProject(const fs::path& root, int entries) {
    const fs::path project = root / "Projects/Default";
    WriteKeyLines(project / "game.ini",
                  {"GameInitHealth=12", "GameGoDecHealth=2", "GameNotInterCnt=1",
                   "GameNotInter0=Ничего интересного.", "GameDeathCnt=1",
                   "GameDeath0=Силы оставили тебя."});
    std::vector<std::string> map = {"MapFirstMessage=Ты в кладовой.", "MapScrCount=1", "Scr0no=0",
                                    "Scr0Title=Кладовая", "Scr0North=-2", "Scr0South=-2",
                                    "Scr0East=-2", "Scr0West=-2",
                                    "MapObjCount=" + std::to_string(entries)};
    for (int i = 0; i < entries; ++i) {
        const std::string o = "Obj" + std::to_string(i);
        map.push_back(o + "no=" + std::to_string(i));
        map.push_back(o + "Title=" + ObjectTitle(i));
        map.push_back(o + "ScrWhere=0");
        map.push_back(o + "Visible=1");
        map.push_back(o + "OnExam=Ничего особенного.");
    }
    WriteKeyLines(project / "map1.ini", map);
    WriteKeyLines(project / "menu.txt", {"Новая игра", "Выход"});
}

// A screen reader's output: it notes when the first text of a key arrives,
// and reports the end of speech at once.
class StampingSpeech : public speech::SpeechOutput {
public:
    explicit StampingSpeech(shell::EventSource& events) : events_(events) {}
    speech::SpeechOutputKind Kind() const override { return speech::SpeechOutputKind::soReader; }
    void Speak(const std::string& text) override {
        if (!spoken) {
            spoken = Clock::now();
            said = text;
        }
        events_.Post({shell::Event::Kind::SpeechEnded});
    }
    void Cue(int) override {}
    void SetRate(int) override {}

    std::optional<Clock::time_point> spoken;
    std::string said;

private:
    shell::EventSource& events_;
};

struct Samples {
    std::vector<double> micros;  // key down to speech
    std::vector<double> whole;   // key down to key up handled, the screen's change included
    int silent = 0;              // keys that said nothing
};

struct KeyTimes {
    std::optional<double> toSpeech;
    double whole = 0;
};

class Bench {
public:
    explicit Bench(int entries) {
        WriteProject(root_.path(), entries);
        shell::ShellOptions options;
        options.programFolder = root_.path();
        options.stateFolder = root_.path();
        options.nomenu = true;
        options.seed = 1;
        auto speech = std::make_unique<StampingSpeech>(events_);
        speech_ = speech.get();
        form_ = std::make_unique<shell::TForm1>(options, events_, frontEnd_, std::move(speech),
                                                std::make_unique<sound::NoneDriver>(), nullptr);
        events_.Post(shell::Event::Ticks(1));  // the first tick starts the game
        form_->Run();
    }

    // One keystroke as a front end delivers it: down, the character it types,
    // up. The time runs from the key down to the first text spoken.
    KeyTimes Key(int key, char ch = 0) {
        using Micros = std::chrono::duration<double, std::micro>;
        speech_->spoken.reset();
        const Clock::time_point start = Clock::now();
        form_->Dispatch({shell::Event::Kind::KeyDown, key});
        if (ch != 0) form_->Dispatch({shell::Event::Kind::KeyPress, 0, {}, ch});
        form_->Dispatch({shell::Event::Kind::KeyUp, key});
        KeyTimes times;
        times.whole = Micros(Clock::now() - start).count();
        if (speech_->spoken) times.toSpeech = Micros(*speech_->spoken - start).count();
        form_->Run();  // the ends of speech
        return times;
    }

    void Timed(Samples& into, int key, char ch = 0) {
        const KeyTimes times = Key(key, ch);
        into.whole.push_back(times.whole);
        if (times.toSpeech) {
            into.micros.push_back(*times.toSpeech);
        } else {
            ++into.silent;
        }
    }

    talkui::TMenuLine& Menu() { return *form_->Menu(); }
    const std::string& Said() const { return speech_->said; }

private:
    TempFolder root_;
    PostedEvents events_;
    QuietFrontEnd frontEnd_;
    StampingSpeech* speech_ = nullptr;
    std::unique_ptr<shell::TForm1> form_;
};

void Report(const char* what, std::vector<double>& micros) {
    std::sort(micros.begin(), micros.end());
    auto at = [&micros](double q) {
        if (micros.empty()) return 0.0;
        const auto i = static_cast<size_t>(q * static_cast<double>(micros.size() - 1) + 0.5);
        return micros[i];
    };
    std::printf("  %-38s n=%-6zu p50 %8.1f us   p99 %8.1f us   max %8.1f us\n", what,
                micros.size(), at(0.50), at(0.99), at(1.0));
}

int Positive(const char* text) {
    const int n = std::atoi(text);
    if (n <= 0) throw std::runtime_error(std::string("not a positive number: ") + text);
    return n;
}

// The key of a Russian letter on a ЙЦУКЕН keyboard: the Latin letter's code.
int KeyOf(char ch1251) {
    static const std::string kRussian = Ru("йцукенгшщзхъфывапролджэячсмитьбю");
    static const std::string kLatin = "QWERTYUIOP[]ASDFGHJKL;'ZXCVBNM,.";
    const size_t at = kRussian.find(base::LowerText1251(std::string(1, ch1251))[0]);
    return at == std::string::npos ? 'A' : static_cast<unsigned char>(kLatin[at]);
}

int Failed(const char* what, const std::string& said1251) {
    std::fprintf(stderr, "key_to_speech: %s \"%s\"\n", what, base::Cp1251ToUtf8(said1251).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        int entries = 1000;
        int rounds = 10;
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            if (arg == "--entries" && i + 1 < argc) {
                entries = Positive(argv[++i]);
            } else if (arg == "--rounds" && i + 1 < argc) {
                rounds = Positive(argv[++i]);
            } else {
                std::fprintf(stderr, "usage: key_to_speech [--entries N] [--rounds R]\n");
                return 2;
            }
        }

        Bench bench(entries);
        // The action menu: Go, Rest, Examine. Examine lists the objects here.
        for (int i = 0; i < 3; ++i) bench.Key(ui::vk::Down);
        bench.Key(ui::vk::Return, '\r');
        if (bench.Menu().List->Count() != entries) {
            std::fprintf(stderr, "the examine list has %d entries, not %d; last said: %s\n",
                         bench.Menu().List->Count(), entries,
                         base::Cp1251ToUtf8(bench.Said()).c_str());
            return 1;
        }

        // Letters typed as a player looks for a thing: a word's first letters,
        // then Delete clears the search (Escape would leave the list).
        std::vector<std::string> words;
        for (const char* w : {"ста", "медн", "зол", "тёмн", "ржав", "ка", "ст", "пыл", "сер", "бо"}) {
            words.push_back(Ru(w));
        }

        Samples down, typed;
        for (int round = 0; round <= rounds; ++round) {
            Samples warmDown, warmTyped;  // round 0 only warms up
            Samples& d = round == 0 ? warmDown : down;
            Samples& t = round == 0 ? warmTyped : typed;
            bench.Key(ui::vk::Home);
            for (int i = 1; i < entries; ++i) bench.Timed(d, ui::vk::Down);
            // What was timed must be what a player hears: the last entry, and
            // an entry starting with the typed word.
            if (bench.Said().rfind(Ru(ObjectTitle(entries - 1)), 0) != 0) {
                return Failed("the last Down said", bench.Said());
            }
            for (int again = 0; again < 10; ++again) {
                for (const std::string& word : words) {
                    for (const char ch : word) bench.Timed(t, KeyOf(ch), ch);
                    if (base::LowerText1251(bench.Said()).rfind(word, 0) != 0) {
                        return Failed("the typed word found", bench.Said());
                    }
                    bench.Key(ui::vk::Delete);
                }
            }
        }
        std::printf("key to speech, %d-entry examine list of the shell (%d rounds)\n", entries,
                    rounds);
        Report("arrow Down: key to speech", down.micros);
        Report("typed search letter: key to speech", typed.micros);
        Report("arrow Down: whole keystroke", down.whole);
        Report("typed search letter: whole keystroke", typed.whole);
        if (down.silent + typed.silent > 0) {
            std::fprintf(stderr, "key_to_speech: %d keys said nothing\n", down.silent + typed.silent);
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "key_to_speech: %s\n", e.what());
        return 1;
    }
}
