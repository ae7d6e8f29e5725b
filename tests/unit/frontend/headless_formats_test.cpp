// The key script reader and the transcript writer: formats that tests and tools rely on.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "base/encoding.h"
#include "frontend/headless/headless_run.h"
#include "frontend/common/key_script.h"
#include "frontend/common/transcript.h"

namespace velmora::frontend {
namespace {

using Kind = KeyStep::Kind;

std::string Cp(const char* utf8) { return base::Utf8ToCp1251(utf8); }

TEST(KeyScript, KeysModifiersAndTheCharactersTheyType) {
    const auto steps = ParseKeyScript(
        "# a comment\n\nEnter\nescape\nCtrl+M\nShift+F1\nAlt+x\nq\nQ\n7\nф\nЁ\nNumPlus\nDown\r\n",
        "k.txt");
    ASSERT_EQ(steps.size(), 12u);
    EXPECT_EQ(steps[0].key, 13);
    EXPECT_EQ(steps[0].typed, '\r');
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[1].key, 27);
    EXPECT_EQ(steps[2].key, 'M');
    EXPECT_EQ(steps[2].modifiers, kCtrl);
    EXPECT_FALSE(steps[2].typed);  // nothing typed with Ctrl
    EXPECT_EQ(steps[3].key, 112);
    EXPECT_EQ(steps[3].modifiers, kShift);
    EXPECT_FALSE(steps[4].typed);
    EXPECT_EQ(steps[5].key, 'Q');
    EXPECT_EQ(steps[5].typed, 'q');
    EXPECT_EQ(steps[6].modifiers, kShift);  // a capital implies Shift
    EXPECT_EQ(steps[6].typed, 'Q');
    EXPECT_EQ(steps[7].key, '7');
    EXPECT_EQ(steps[7].typed, '7');
    // Cyrillic letters come on the key of the same physical key.
    EXPECT_EQ(steps[8].key, 'A');
    EXPECT_EQ(steps[8].typed, Cp("ф")[0]);
    EXPECT_EQ(steps[9].key, 192);
    EXPECT_EQ(steps[9].modifiers, kShift);
    EXPECT_EQ(steps[9].typed, Cp("Ё")[0]);
    EXPECT_EQ(steps[10].typed, '+');
    EXPECT_EQ(steps[11].key, 40);  // "Down" alone is the key; "down KEY" holds a key
    EXPECT_EQ(steps[11].kind, Kind::Press);
    EXPECT_FALSE(steps[11].typed);
    for (const KeyStep& s : steps) {
        EXPECT_EQ(s.kind, Kind::Press);
        EXPECT_TRUE(s.settle);
    }
}

TEST(KeyScript, TypeHoldWaitAndUnsettledSteps) {
    const auto steps = ParseKeyScript("type Ключ 2!\ndown 5\n!up 5\nwait 250\n!Space", "k");
    ASSERT_EQ(steps.size(), 11u);
    EXPECT_EQ(steps[0].key, 'R');  // К on the key of R, with Shift
    EXPECT_EQ(steps[0].modifiers, kShift);
    EXPECT_EQ(steps[0].typed, Cp("К")[0]);
    EXPECT_EQ(steps[4].key, 32);
    EXPECT_EQ(steps[6].key, '1');  // '!' is Shift+1
    EXPECT_EQ(steps[6].typed, '!');
    EXPECT_EQ(steps[7].kind, Kind::Down);
    EXPECT_EQ(steps[7].typed, '5');
    EXPECT_EQ(steps[8].kind, Kind::Up);
    EXPECT_FALSE(steps[8].settle);
    EXPECT_EQ(steps[9].kind, Kind::Wait);
    EXPECT_EQ(steps[9].waitMs, 250);
    EXPECT_FALSE(steps[10].settle);
}

TEST(KeyScript, MalformedLinesNameTheFileAndLine) {
    const std::pair<const char*, const char*> bad[] = {
        {"Enter\nFrobnicate\n", "k.txt:2: unknown key 'Frobnicate'"},
        {"Hyper+A", "k.txt:1: unknown modifier 'Hyper'"},
        {"wait soon", "k.txt:1: wait needs milliseconds"},
        {"wait -5", "k.txt:1: wait needs milliseconds"},
        {"type", "k.txt:1: type needs a text"},
        {"press Enter", "k.txt:1: unknown step 'press Enter'"},
        {"type 日本", "k.txt:1: no key types '日'"},
        {",", "k.txt:1: unknown key ','"},
    };
    for (const auto& [script, message] : bad) {
        try {
            ParseKeyScript(script, "k.txt");
            ADD_FAILURE() << "accepted: " << script;
        } catch (const KeyScriptError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("error: ") + message) << script;
        }
    }
}

TEST(ScriptEvents, ManyStepsWithoutEventsNeitherRecurseNorStop) {
    std::string script;
    for (int i = 0; i < 200000; ++i) script += "wait 0\n";
    script += "wait 200\nEnter\n";
    ScriptEvents events(ParseKeyScript(script, "k"), nullptr);
    std::vector<shell::Event::Kind> kinds;
    std::vector<int32_t> ticks;
    while (auto e = events.Next()) {
        kinds.push_back(e->kind);
        if (e->kind == shell::Event::Kind::Tick) ticks.push_back(e->ticks);
    }
    using K = shell::Event::Kind;
    EXPECT_EQ(kinds, (std::vector<K>{K::Tick, K::Tick, K::KeyDown, K::KeyPress, K::KeyUp}));
    EXPECT_EQ(ticks, (std::vector<int32_t>{1, 2}));  // the start, then the wait's two ticks at once
}

// Time skips ahead: a long wait is one event, split where a timed wait of the
// program ends, and a timed wait still running when the script settles gets
// all its ticks at once.
TEST(ScriptEvents, LongWaitsCostOneEventEachAndStopWhereATimedWaitEnds) {
    int32_t timedLeft = 0;
    ScriptEvents events(ParseKeyScript("Enter\n!wait 1000\nwait 999999999\n", "k"),
                        [&] { return timedLeft; });
    using K = shell::Event::Kind;
    ASSERT_EQ(events.Next()->ticks, 1);  // the first tick
    EXPECT_EQ(events.Next()->kind, K::KeyDown);
    EXPECT_EQ(events.Next()->kind, K::KeyPress);
    EXPECT_EQ(events.Next()->kind, K::KeyUp);
    timedLeft = 3;  // the Enter began a wait of 3 ticks; the next step comes before it settles
    auto e = events.Next();
    ASSERT_EQ(e->kind, K::Tick);
    EXPECT_EQ(e->ticks, 3);
    timedLeft = 0;
    EXPECT_EQ(events.Next()->ticks, 7);  // the rest of the script's second
    EXPECT_EQ(events.Next()->ticks, 9999999);
    timedLeft = 2000000000;  // a very long timed wait runs when the script ends
    e = events.Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->ticks, 2000000000);
    timedLeft = 0;
    EXPECT_FALSE(events.Next());
}

TEST(Transcript, LinesForEveryEvent) {
    char* buf = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buf, &size);
    ASSERT_NE(out, nullptr);
    {
        TranscriptWriter t(out, "/games/velmora");
        t.Say(Cp("Две строки\r\nи слеш \\ тут\rконец\n"));
        t.Cue(13);
        t.Beep();
        t.Tone(440, 120);
        t.Rate(40);
        t.Effect(2);
        t.Sound(Cp("двери.wav"));
        t.Music("/games/velmora/Projects/Default/menu.mid");
        t.MusicStop();
        t.Volume(35);
        t.Picture("Image1", "/games/velmora/Projects/Default/gif/0.gif");
        t.Picture("Image2", "/elsewhere/x.gif");
        t.View("page");
    }
    std::fclose(out);
    EXPECT_EQ(std::string(buf, size),
              "say: Две строки\\nи слеш \\\\ тут\\nконец\\n\n"
              "cue: 13\nbeep\ntone: 440 120\nrate: 40\neffect: 2\nsound: двери.wav\n"
              "music: Projects/Default/menu.mid\nmusic: stop\nvolume: 35\n"
              "picture: Image1 Projects/Default/gif/0.gif\npicture: Image2 /elsewhere/x.gif\n"
              "view: page\n");
    std::free(buf);
}

TEST(Transcript, TextFromAProjectCannotDriveTheTerminal) {
    const struct {
        std::string_view in, out;
    } cases[] = {
        {"Двор \\ сад", "Двор \\\\ сад"},
        {"\x1b]0;title\a\x1b[2J\x1b[?1049h\x1b[6n", "\\e]0;title\\x07\\e[2J\\e[?1049h\\e[6n"},
        {"a\tb", "a\\tb"},
        {std::string_view("\0\x7f\x1f", 3), "\\x00\\x7F\\x1F"},
        // C1 controls as UTF-8, broken UTF-8 (raw 1251, a cut sequence, an overlong form).
        {"\xC2\x9B" "2J\xC2\xA0", "\\xC2\\x9B2J\xC2\xA0"},
        {"\xCF\xF0\xE8", "\\xCF\\xF0\\xE8"},
        {"\xD0", "\\xD0"},
        {"\xC0\x9B", "\\xC0\\x9B"},
    };
    for (const auto& c : cases) EXPECT_EQ(TranscriptText(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace velmora::frontend
