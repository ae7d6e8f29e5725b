#include "frontend/tty/key_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/encoding.h"

namespace velmora::frontend {
namespace {

using namespace std::chrono_literals;
using Clock = KeyDecoder::Clock;

constexpr int kF1 = 112, kNumPlus = 107, kNumMinus = 109, kNumStar = 106, kNumSlash = 111;

KeyEvent K(int key, bool shift = false, bool alt = false, bool ctrl = false,
           std::optional<char> typed = {}) {
    KeyEvent e;
    e.key = key;
    e.shift.Shift = shift;
    e.shift.Alt = alt;
    e.shift.Ctrl = ctrl;
    e.typed = typed;
    return e;
}
KeyEvent Ctrl(int key) { return K(key, false, false, true); }
KeyEvent Alt(int key) { return K(key, false, true, false); }
KeyEvent Char(int key, const char* utf8, bool shift = false) {
    return K(key, shift, false, false, base::Utf8ToCp1251(utf8)[0]);
}

std::string Show(const std::vector<KeyEvent>& keys) {
    std::string s;
    for (const KeyEvent& k : keys) {
        s += '[';
        s += std::to_string(k.key);
        if (k.shift.Shift) s += " Shift";
        if (k.shift.Alt) s += " Alt";
        if (k.shift.Ctrl) s += " Ctrl";
        if (k.typed) s.append(" '").append(base::Cp1251ToUtf8(std::string(1, *k.typed))).append("'");
        s += ']';
    }
    return s;
}

// The keys of some bytes once nothing more comes.
std::vector<KeyEvent> Decode(KeyDecoder& d, std::string_view bytes) {
    const auto t = Clock::now();
    auto keys = d.Feed(bytes, t);
    auto rest = d.Flush(t + 1s);
    keys.insert(keys.end(), rest.begin(), rest.end());
    return keys;
}

void ExpectKeys(KeyDecoder& d, std::string_view bytes, const std::vector<KeyEvent>& want) {
    const auto got = Decode(d, bytes);
    EXPECT_EQ(got, want) << "bytes " << ::testing::PrintToString(std::string(bytes)) << ": got "
                         << Show(got) << ", want " << Show(want);
}

std::optional<TermKeys> Load(const std::string& term) {
    std::string why;
    auto keys = TermKeys::Load(term, &why);
    if (!keys) {
        EXPECT_NE(why.find(term), std::string::npos) << why;
    }
    return keys;
}

TEST(KeyDecoder, TheLinuxConsoleTable) {
    auto keys = Load("linux");
    if (!keys) GTEST_SKIP() << "no terminfo entry for linux";
    KeyDecoder d(*keys);
    ExpectKeys(d, "\x1b[[A", {K(kF1)});
    ExpectKeys(d, "\x1b[[D", {K(kF1 + 3)});
    ExpectKeys(d, "\x1b[A\x1b[B\x1b[D\x1b[C", {K(38), K(40), K(37), K(39)});
    ExpectKeys(d, "\x1b[1~\x1b[4~\x1b[5~\x1b[6~\x1b[2~\x1b[3~", {K(36), K(35), K(33), K(34), K(45), K(46)});
    ExpectKeys(d, "\x1b[21~\x1b[24~", {K(kF1 + 9), K(kF1 + 11)});
    // Shift+F10 (the context menu) comes as F20; Shift+Tab as ESC Tab.
    ExpectKeys(d, "\x1b[34~", {K(kF1 + 9, true)});
    ExpectKeys(d, "\x1b\t", {K(9, true, false, false, '\t')});
    EXPECT_TRUE(keys->keypadOn.empty());
}

TEST(KeyDecoder, XtermScreenAndTmuxTables) {
    for (const char* term : {"xterm", "xterm-256color", "screen", "tmux-256color"}) {
        SCOPED_TRACE(term);
        auto keys = Load(term);
        if (!keys) continue;  // not every system has every entry
        EXPECT_EQ(keys->name, term);
        EXPECT_EQ(keys->keypadOn, "\x1b[?1h\x1b=");
        KeyDecoder d(*keys);
        // Cursor keys in both modes, whether the keypad sequences are on or not.
        ExpectKeys(d, "\x1bOA\x1b[A\x1bOD\x1b[C", {K(38), K(38), K(37), K(39)});
        ExpectKeys(d, "\x1bOP\x1bOS\x1b[23~\x1b[21~\x1b[24~",
                   {K(kF1), K(kF1 + 3), K(kF1 + 10), K(kF1 + 9), K(kF1 + 11)});
        ExpectKeys(d, "\x1b[1~\x1bOH\x1b[H\x1b[4~\x1bOF", {K(36), K(36), K(36), K(35), K(35)});
        ExpectKeys(d, "\x1b[3~\x1b[2~\x1b[5~\x1b[6~", {K(46), K(45), K(33), K(34)});
        ExpectKeys(d, "\x1b[Z", {K(9, true, false, false, '\t')});
        ExpectKeys(d, "\x7f", {K(8, false, false, false, '\b')});
    }
}

TEST(KeyDecoder, ModifiedKeysInXtermForm) {
    KeyDecoder d;  // no terminfo: the common forms alone
    ExpectKeys(d, "\x1b[1;5A", {Ctrl(38)});
    ExpectKeys(d, "\x1b[1;3B", {Alt(40)});
    ExpectKeys(d, "\x1b[1;2D", {K(37, true)});
    ExpectKeys(d, "\x1b[3;5~", {Ctrl(46)});
    ExpectKeys(d, "\x1b[5;5~", {Ctrl(33)});
    ExpectKeys(d, "\x1b[1;2P", {K(kF1, true)});
    ExpectKeys(d, "\x1b[21;2~", {K(kF1 + 9, true)});
    ExpectKeys(d, "\x1bO5A", {Ctrl(38)});
    ExpectKeys(d, "\x1b[1;9C", {Alt(39)});  // Meta is Alt
    // The numeric pad in application mode, with Ctrl as xterm sends it.
    ExpectKeys(d, "\x1bOk\x1bOm\x1bOj\x1bOo", {K(kNumPlus, false, false, false, '+'),
                                              K(kNumMinus, false, false, false, '-'),
                                              K(kNumStar, false, false, false, '*'),
                                              K(kNumSlash, false, false, false, '/')});
    ExpectKeys(d, "\x1bO5k", {Ctrl(kNumPlus)});
    ExpectKeys(d, "\x1bOM\x1bOq", {K(13, false, false, false, '\r'), K(97, false, false, false, '1')});
    // modifyOtherKeys and the CSI u form report Ctrl+M and Ctrl+digit as they are.
    ExpectKeys(d, "\x1b[27;5;109~", {Ctrl('M')});
    ExpectKeys(d, "\x1b[109;5u", {Ctrl('M')});
    ExpectKeys(d, "\x1b[49;6u", {K('1', true, false, true)});
    ExpectKeys(d, "\x1b[27;5;13~", {Ctrl(13)});
    ExpectKeys(d, "\x1b[27;2;13~", {K(13, true, false, false, '\r')});
}

TEST(KeyDecoder, ControlBytesAndAltPrefix) {
    KeyDecoder d;
    ExpectKeys(d, "\x01\x03\x1a", {Ctrl('A'), Ctrl('C'), Ctrl('Z')});
    ExpectKeys(d, "\r", {K(13, false, false, false, '\r')});
    ExpectKeys(d, "\t", {K(9, false, false, false, '\t')});
    ExpectKeys(d, "\x08", {K(8, false, false, false, '\b')});
    ExpectKeys(d, "\x1c\x1d", {Ctrl(220), Ctrl(221)});
    ExpectKeys(d, std::string_view("\0", 1), {Ctrl(17)});  // Ctrl+Space: Ctrl alone
    // Ctrl+J stands for Ctrl+Enter; a client sending CR LF for Enter gives one Enter.
    ExpectKeys(d, "\n", {Ctrl(13)});
    ExpectKeys(d, "\r\n", {K(13, false, false, false, '\r')});
    ExpectKeys(d, "\r\n\n", {K(13, false, false, false, '\r'), Ctrl(13)});
    // Alt is an ESC before the key.
    ExpectKeys(d, "\x1b" "1", {Alt('1')});
    ExpectKeys(d, "\x1bx", {Alt('X')});
    ExpectKeys(d, "\x1bX", {K('X', true, true)});
    ExpectKeys(d, "\x1b\r", {Alt(13)});
    ExpectKeys(d, "\x1b\x1b[A", {Alt(38)});
    ExpectKeys(d, "\x1b\xd1\x84", {Alt('A')});  // Alt+ф: the same key as Alt+A
    ExpectKeys(d, "a\x1b", {Char('A', "a"), K(27, false, false, false, '\x1b')});
}

TEST(KeyDecoder, EscapeWaitsForTheRestOfASequence) {
    KeyDecoder d;
    const auto t0 = Clock::now();
    EXPECT_TRUE(d.Feed("\x1b", t0).empty());
    ASSERT_TRUE(d.Deadline());
    EXPECT_EQ(*d.Deadline(), t0 + 50ms);
    EXPECT_TRUE(d.Flush(t0 + 49ms).empty());
    // The rest of the sequence in time: one key, not Escape and letters.
    EXPECT_EQ(d.Feed("[", t0 + 10ms), std::vector<KeyEvent>{});
    EXPECT_EQ(d.Feed("A", t0 + 20ms), std::vector<KeyEvent>{K(38)});
    EXPECT_FALSE(d.Deadline());

    // Nothing follows: Escape itself, once the time is up.
    EXPECT_TRUE(d.Feed("\x1b", t0).empty());
    EXPECT_EQ(d.Flush(t0 + 50ms), std::vector<KeyEvent>{K(27, false, false, false, '\x1b')});
    EXPECT_FALSE(d.Deadline());

    // Escape held down repeats faster than the timeout: each is Escape.
    EXPECT_TRUE(d.Feed("\x1b", t0).empty());
    EXPECT_TRUE(d.Feed("\x1b", t0 + 30ms).empty());
    const KeyEvent esc = K(27, false, false, false, '\x1b');
    EXPECT_EQ(d.Flush(t0 + 50ms), (std::vector<KeyEvent>{esc, esc}));

    // A sequence split over two reads is waited for as well.
    EXPECT_TRUE(d.Feed("\x1b[1;", t0).empty());
    EXPECT_EQ(d.Feed("5A", t0 + 5ms), std::vector<KeyEvent>{Ctrl(38)});
}

TEST(KeyDecoder, UnknownSequencesAreDroppedWhole) {
    KeyDecoder d;
    ExpectKeys(d, "\x1b[99~a", {Char('A', "a")});
    ExpectKeys(d, "\x1b[<0;12;5Mb", {Char('B', "b")});    // a mouse report
    ExpectKeys(d, "\x1b[?1;2cq", {Char('Q', "q")});       // an answer to a query
    ExpectKeys(d, "\x1bO9zq", {Char('Q', "q")});
    ExpectKeys(d, "\x1b[1;5", {});                       // never finished
    ExpectKeys(d, "\x1b[200~", {});                      // a paste marker
    ExpectKeys(d, "\x1b[1;\x01", {Ctrl('A')});            // broken off by another key
    ExpectKeys(d, "\x1b[12345678901234567890;5~z", {Char('Z', "z")});
}

TEST(KeyDecoder, Utf8BecomesCodePage1251) {
    KeyDecoder d;
    EXPECT_FALSE(d.LastLetterCyrillic());
    ExpectKeys(d, "ф", {Char('A', "ф")});
    EXPECT_EQ(d.LastLetterCyrillic(), true);
    ExpectKeys(d, "Ф", {Char('A', "Ф", true)});
    ExpectKeys(d, "ё", {Char(192, "ё")});
    ExpectKeys(d, "q", {Char('Q', "q")});
    EXPECT_EQ(d.LastLetterCyrillic(), false);
    ExpectKeys(d, "Q1 ", {Char('Q', "Q", true), Char('1', "1"), Char(32, " ")});
    EXPECT_EQ(d.LastLetterCyrillic(), false);  // digits and spaces leave the layout
    ExpectKeys(d, "!", {Char('1', "!", true)});
    ExpectKeys(d, "№", {Char(0, "№")});           // no key of the Latin layout types it
    ExpectKeys(d, "😀x", {Char('X', "x")});        // nothing in 1251
    ExpectKeys(d, "\xd1x", {Char('X', "x")});      // broken UTF-8
    ExpectKeys(d, "\xff", {});
    // A letter split over two reads.
    const auto t = Clock::now();
    EXPECT_TRUE(d.Feed("\xd1", t).empty());
    EXPECT_EQ(d.Feed("\x8f", t), std::vector<KeyEvent>{Char('Z', "я")});
}

TEST(KeyDecoder, AlternativesForKeysATerminalCannotSend) {
    KeyDecoder d;
    ExpectKeys(d, "\x1b[15~\x1b[17~", {Ctrl(kNumMinus), Ctrl(kNumPlus)});  // F5, F6: speech rate
    ExpectKeys(d, "\x1b[18~\x1b[19~", {Ctrl(kNumSlash), Ctrl(kNumStar)});  // F7, F8: music volume
    ExpectKeys(d, "\x1b[20~", {Ctrl('M')});                                // F9: music on or off
    ExpectKeys(d, "\x1bm", {Ctrl('M')});
    ExpectKeys(d, "\x1bь", {Ctrl('M')});  // Alt+M on the Russian layout
    ExpectKeys(d, std::string_view("\0", 1), {Ctrl(17)});  // Ctrl+Space: silence, Ctrl alone
    ExpectKeys(d, "\x1b[24;2~", {K(kF1 + 9)});               // Shift+F12: F10, the last text again
    ExpectKeys(d, "\x1b[21~\x1b[23~\x1b[24~", {K(kF1 + 9), K(kF1 + 10), K(kF1 + 11)});
    // With modifiers they are keys of their own.
    ExpectKeys(d, "\x1b[15;2~", {K(kF1 + 4, true)});
    ExpectKeys(d, "\x1bM", {K('M', true, true)});
    // Keys the game knows stay.
    EXPECT_EQ(TtyAlternative(K(kF1 + 1)), K(kF1 + 1));
    EXPECT_EQ(TtyAlternative(Ctrl(kNumPlus)), Ctrl(kNumPlus));
    const std::string help = TtyKeysHelp();
    for (const char* key : {"F5", "F6", "F7", "F8", "F9", "Alt+M", "Ctrl+J", "Caps Lock",
                            "Ctrl+Space", "Shift+F12"}) {
        EXPECT_NE(help.find(key), std::string::npos) << key;
    }
}

TEST(KeyDecoder, AnyBytesGiveOnlyKeysTheGameKnows) {
    // Line noise, pastes and half sequences: keys in range, nothing typed with Ctrl or Alt.
    auto keys = TermKeys::Load("linux");
    KeyDecoder d(keys.value_or(TermKeys{}));
    std::mt19937 random(7);
    const char pieces[] = "\x1b[O;~1259ABPZu\x7f\r\n\xd1\x84\x80";
    auto t = Clock::now();
    for (int round = 0; round < 20000; ++round) {
        std::string chunk;
        const int n = static_cast<int>(random() % 8);
        for (int i = 0; i < n; ++i) {
            chunk += random() % 4 == 0 ? static_cast<char>(random() % 256)
                                       : pieces[random() % (sizeof pieces - 1)];
        }
        t += std::chrono::milliseconds(random() % 80);
        auto got = d.Feed(chunk, t);
        const auto flushed = d.Flush(t);
        got.insert(got.end(), flushed.begin(), flushed.end());
        for (const KeyEvent& k : got) {
            ASSERT_GE(k.key, 0);
            ASSERT_LE(k.key, 255);
            ASSERT_FALSE(k.typed && (k.shift.Ctrl || k.shift.Alt)) << Show(got);
        }
    }
}

}  // namespace
}  // namespace velmora::frontend
