// SPDX-License-Identifier: GPL-3.0-or-later
// The page adapter's own logic, compiled to WebAssembly and run with node:
// keys from the page, texts for the live region, headers read from files a
// project names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/encoding.h"
#include "form_snapshot.h"
#include "page_events.h"
#include "page_sound.h"
#include "page_speech.h"
#include "picture_size.h"
#include "sound/cue_sounds.h"

namespace velmora::web {
namespace {

using shell::Event;

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

std::string Le32(uint32_t v) { return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)}); }

TEST(PageKeys, TypedCharacterTakesWhat1251Holds) {
    const struct {
        char32_t typed;
        std::optional<char> expected;
    } cases[] = {
        {U'a', 'a'},          {U'~', '~'},         {U'я', '\xFF'},      {U'А', '\xC0'},
        {U'Ё', '\xA8'},       {U'ё', '\xB8'},      {U'€', '\x88'},      {U'№', '\xB9'},
        {13, '\r'},           {27, '\x1b'},        {8, '\b'},           {9, '\t'},
        {0, std::nullopt},    {10, std::nullopt},  {0x7F, std::nullopt}, {U'中', std::nullopt},
        {U'😀', std::nullopt}, {0xD800, std::nullopt}, {0x110000, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TypedCharacter(c.typed), c.expected) << static_cast<uint32_t>(c.typed);
    }
}

// The web build's iconv (musl) counts a character it cannot convert instead
// of failing: what 1251 lacks must still be told apart.
TEST(PageKeys, WhatFits1251IsToldApartByTheWebBuildsIconv) {
    EXPECT_TRUE(base::FitsCp1251("Ёлка №1 за 5 €"));
    EXPECT_FALSE(base::FitsCp1251("ёлка 中"));
    EXPECT_FALSE(base::FitsCp1251("😀"));
}

TEST(PageKeys, EventsComeAsEveryFrontEndGivesThem) {
    PageEvents events;
    EXPECT_EQ(events.KeyboardLayout(), "00000419");  // before any letter
    ui::ShiftState shift;
    shift.CapsLockOn = true;
    events.Key(true, 'A', shift, U'a');
    events.Key(false, 'A', shift, 0);
    EXPECT_EQ(events.KeyboardLayout(), "00000409");
    events.Key(true, 0, {}, U'x');    // no key number: dropped
    events.Key(true, 300, {}, U'x');  // beyond the game's key table: dropped
    events.Key(true, 'F', {}, U'а');
    EXPECT_EQ(events.KeyboardLayout(), "00000419");
    events.Key(true, '1', {}, U'1');  // a digit leaves the layout as it was
    EXPECT_EQ(events.KeyboardLayout(), "00000419");

    std::vector<Event> got;
    for (int i = 0; i < 8; ++i) {
        const std::optional<Event> e = events.Next();
        ASSERT_TRUE(e);
        if (e->kind != Event::Kind::Tick) got.push_back(*e);
    }
    ASSERT_EQ(got.size(), 7u);
    EXPECT_EQ(got[0].kind, Event::Kind::KeyDown);
    EXPECT_EQ(got[0].key, 'A');
    EXPECT_TRUE(got[0].shift.CapsLockOn);
    EXPECT_EQ(got[1].kind, Event::Kind::KeyPress);
    EXPECT_EQ(got[1].ch, 'a');
    EXPECT_EQ(got[2].kind, Event::Kind::KeyUp);
    EXPECT_EQ(got[3].kind, Event::Kind::KeyDown);
    EXPECT_EQ(got[4].ch, '\xE0');
    EXPECT_EQ(got[5].key, '1');
    EXPECT_EQ(got[6].ch, '1');

    events.Post(Event::Of(Event::Kind::MusicEnded));
    std::optional<Event> e = events.Next();
    while (e && e->kind == Event::Kind::Tick) e = events.Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, Event::Kind::MusicEnded);
    events.Quit();
    e = events.Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, Event::Kind::Quit);
    EXPECT_FALSE(events.Next());
}

// The instant reader's end of a text comes after the release of the key
// that made it, as in the headless game, where a key's down and up come
// together; a release the page never hears holds it up only for a moment.
TEST(PageKeys, AnInstantTextEndsAfterTheKeyIsReleased) {
    PageEvents events;
    auto next = [&events](bool skipTicks = true) {
        std::optional<Event> e = events.Next();
        while (skipTicks && e && e->kind == Event::Kind::Tick) e = events.Next();
        return e ? e->kind : Event::Kind::Quit;
    };
    const Event ended = Event::Of(Event::Kind::SpeechEnded);
    events.PostWhenKeysUp(ended);  // no key down: at once
    EXPECT_EQ(next(), Event::Kind::SpeechEnded);

    events.Key(true, 'A', {}, 0);
    EXPECT_EQ(next(), Event::Kind::KeyDown);
    events.PostWhenKeysUp(ended);
    EXPECT_EQ(next(false), Event::Kind::Tick);  // not before the release
    events.Key(false, 'A', {}, 0);
    EXPECT_EQ(next(), Event::Kind::KeyUp);
    EXPECT_EQ(next(), Event::Kind::SpeechEnded);

    events.Key(true, 'B', {}, 0);
    EXPECT_EQ(next(), Event::Kind::KeyDown);
    events.PostWhenKeysUp(ended);
    EXPECT_EQ(next(), Event::Kind::SpeechEnded);  // its release never came
}

TEST(PageSpeech, LiveRegionTextKeepsLinesAndDropsControls) {
    const struct {
        std::string text1251;
        std::string utf8;
    } cases[] = {
        {"\xCC\xE5\xED\xFE:\r\n\xCD\xEE\xE2\xE0\xFF", "Меню:\nНовая"},
        {"a\rb\nc\r\n\r\nd", "a\nb\nc\n\nd"},
        {"  \r\n x\x1b[31m\x07y\t \r\n", "x [31m y"},
        {" \r\n \n", ""},
        {"\xA8\xB8", "Ёё"},
        {"a\x98" "b", "a\xEF\xBF\xBD" "b"},  // the one byte 1251 leaves unassigned
    };
    for (const auto& c : cases) EXPECT_EQ(LiveRegionText(c.text1251).str(), c.utf8) << c.text1251;
}

TEST(PageSound, WaveDefaultsReadOnlyWhatTheFileHolds) {
    sound::PcmSound pcm;
    pcm.rate = 22050;
    pcm.samples.assign(2205, 0);
    const std::string made = sound::WaveFileBytes(pcm);
    // Stereo 16-bit at 44100, with an odd-sized chunk before the data.
    const std::string stereo = "RIFF" + Le32(0) + "WAVE" + "fmt " + Le32(16) +
                               Bytes({1, 0, 2, 0}) + Le32(44100) + Le32(176400) +
                               Bytes({4, 0, 16, 0}) + "LIST" + Le32(3) + "abc" + Bytes({0}) +
                               "data" + Le32(400) + std::string(400, '\0');
    const std::string cut = stereo.substr(0, stereo.size() - 200);
    std::string huge = stereo;
    huge.replace(huge.find("LIST") + 4, 4, Le32(0xFFFFFFF0));
    const std::string dataFirst = "RIFF" + Le32(0) + "WAVE" + "data" + Le32(4) + "abcd";

    const struct {
        const char* name;
        std::string bytes;
        std::optional<sound::SampleDefaults> expected;
    } cases[] = {
        {"made", made, sound::SampleDefaults{2205, 22050}},
        {"stereo", stereo, sound::SampleDefaults{100, 44100}},
        {"cut short", cut, sound::SampleDefaults{50, 44100}},
        {"chunk beyond the end", huge, std::nullopt},
        {"data before fmt", dataFirst, std::nullopt},
        {"not a wave", "RIFF\0\0\0\0AVI LIST", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto got = WaveDefaults(c.bytes);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.name;
        if (!got) continue;
        EXPECT_EQ(got->length, c.expected->length) << c.name;
        EXPECT_EQ(got->frequency, c.expected->frequency) << c.name;
    }
}

TEST(PagePictures, SizeFromTheHeaderOfEachFormat) {
    const std::string gif = "GIF89a" + Bytes({0x80, 0x02, 0xE0, 0x01, 0, 0});
    const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + Le32(0x0D000000) + "IHDR" +
                            Bytes({0, 0, 3, 0x20, 0, 0, 2, 0x58});
    std::string bmp = "BM" + std::string(12, '\0') + Le32(40) + Le32(320) + Le32(static_cast<uint32_t>(-200));
    const std::string os2 = "BM" + std::string(12, '\0') + Le32(12) + Bytes({64, 0, 32, 0}) + std::string(6, '\0');
    // A JPEG: APP0 first, then fill bytes, then the frame.
    const std::string jpeg = Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xFF, 0xC0, 0, 11, 8,
                                    0x01, 0xE0, 0x02, 0x80, 3});
    const std::string jpegLoop = Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0xFF, 0xE0});
    const std::string zero = "GIF87a" + Bytes({0, 0, 10, 0});

    const struct {
        const char* name;
        std::string bytes;
        std::optional<std::pair<int, int>> expected;
    } cases[] = {
        {"gif", gif, std::pair{640, 480}},
        {"png", png, std::pair{800, 600}},
        {"top-down bmp", bmp, std::pair{320, 200}},
        {"os/2 bmp", os2, std::pair{64, 32}},
        {"jpeg", jpeg, std::pair{640, 480}},
        {"jpeg with a zero length", jpegLoop, std::nullopt},
        {"jpeg cut short", jpeg.substr(0, 12), std::nullopt},
        {"zero width", zero, std::nullopt},
        {"gif cut short", gif.substr(0, 8), std::nullopt},
        {"text", "hello, world", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto got = PictureSize(c.bytes);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.name;
        if (!got) continue;
        EXPECT_EQ(got->width, c.expected->first) << c.name;
        EXPECT_EQ(got->height, c.expected->second) << c.name;
    }
}

TEST(PageScreen, JsonStringEscapesWhatJsonMust) {
    EXPECT_EQ(JsonString(base::Utf8("a\"b\\c")), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString(base::Utf8(std::string("\r\n\x01", 3))), "\"\\u000d\\u000a\\u0001\"");
    EXPECT_EQ(JsonString(base::Utf8("Сторожка")), "\"Сторожка\"");
}

}  // namespace
}  // namespace velmora::web
