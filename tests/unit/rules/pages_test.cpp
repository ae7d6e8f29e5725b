// Page sequences and the waits, on the virtual clock of scripted events.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "unit/rules/rules_fixture.h"

namespace velmora::rules::test {
namespace {

using Lines = std::vector<std::string>;
using E = ScriptedEvents;

struct PagesTest : RulesFixture, ::testing::Test {
    PagesTest() {
        AddScreen(0, "Двор");
        Start();
    }
    void Intro(const std::string& text) { gp.game.Intros.lines.push_back(Ru(text)); }
};

TEST_F(PagesTest, PagesSpeakWaitForTheVoiceThenForTicks) {
    Intro("Once upon a time\r\n#page 20\r\nThe end\r\n#wait 5");
    // The voice ends after 3 ticks; then 20 ticks; the second text's 5 ticks.
    events.Ticks(3);
    events.queue.push_back({E::SpeechEnd, 0});
    events.Ticks(25);
    rules->PlayPages(0);
    EXPECT_EQ(Said(), (Lines{"Once upon a time", "The end"}));
    EXPECT_EQ(events.ticks, 28);
    EXPECT_EQ(transcript.lines.front(), "rate 40");
    // The player's own rate comes back after the pages.
    EXPECT_EQ(transcript.With("rate "), (Lines{"40", "60"}));
    EXPECT_EQ(view.pageText, "The end");  // a wait keeps its text
    EXPECT_TRUE(events.queue.empty());
}

TEST_F(PagesTest, EscapeDuringTheVoiceWaitEndsTheSequenceAtOnce) {
    Intro("First\r\n#page 20\r\nSecond\r\n#page");
    events.Key(27);  // released during the voice wait
    events.Key();    // the player's next key, for whatever follows the pages
    rules->PlayPages(0);
    EXPECT_EQ(Said(), (Lines{"First"}));
    EXPECT_TRUE(rules->waits.abort);
    // The page's pause does not run after Escape, so it takes no key.
    EXPECT_EQ(events.queue.size(), 2u);
}

TEST_F(PagesTest, DirectivesPicturesMusicAndNarration) {
    root.Write("Projects/Test/gif/castle.gif", "GIF");
    root.Write("Projects/Test/Theme.MID", "MThd");
    Intro("#image castle.gif\r\n#image ../../secret.gif\r\n#play theme.mid\r\n#vol 50\r\n"
          "#\r\n#unknown thing\r\n#snd missing.wav");
    view.pictureSize = PictureSize{100, 50};
    view.layout = PageLayout{2.0, 1024, 768};
    rules->PlayPages(0);
    EXPECT_EQ(transcript.With("page picture "), (Lines{"castle.gif"}));
    EXPECT_EQ(transcript.With("place "), (Lines{"412 238 200 100"}));
    EXPECT_EQ(view.pageText, "#");  // a lone "#" is narration
    const Lines sounds = Sounds();
    EXPECT_NE(std::find(sounds.begin(), sounds.end(), "LoadSong Theme.MID"), sounds.end());
    EXPECT_EQ(sound->AppliedVolume, 50);
}

// Files a hostile project puts where pictures, music and sounds belong: each
// is named to the player once, never handed to the view or the driver, and
// the pages go on.
TEST_F(PagesTest, RefusedFilesAreReportedOnceAndNeverReachTheDrivers) {
    const std::filesystem::path project = root.path() / "Projects/Test";
    velmora::test::TestFolder outside;
    outside.Write("passwd", "root:x:0:0");
    std::filesystem::create_directories(project / "gif");
    ASSERT_EQ(::mkfifo((project / "gif/pipe.gif").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", project / "zero.mid");
    std::filesystem::create_symlink(outside.path() / "passwd", project / "map1.mid");
    std::filesystem::create_symlink(outside.path() / "passwd", project / "gif/1.gif");
    root.Write("Projects/Test/Snd/huge.wav", "");
    std::filesystem::resize_file(project / "Snd/huge.wav",
                                 base::MaxFileBytes(base::FileKind::Sound) + 1);
    Intro("#image pipe.gif\r\n#image pipe.gif\r\n#play zero.mid\r\n#snd huge.wav\r\nStill here\r\n#wait 1");
    events.Ticks(5);
    rules->PlayPages(0);
    rules->PlayProjectMusic("map1.mid", 50);
    rules->ShowScreenPicture(1, 0);
    const Lines errors = transcript.With("error ");
    ASSERT_EQ(errors.size(), 5u) << ::testing::PrintToString(errors);
    EXPECT_NE(errors[0].find("pipe.gif: это именованный канал"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("zero.mid: это устройство"), std::string::npos) << errors[1];
    EXPECT_NE(errors[2].find("huge.wav: файл слишком велик"), std::string::npos) << errors[2];
    EXPECT_NE(errors[3].find("map1.mid: ссылка ведёт за пределы"), std::string::npos) << errors[3];
    EXPECT_NE(errors[4].find("1.gif: ссылка ведёт за пределы"), std::string::npos) << errors[4];
    EXPECT_TRUE(transcript.With("page picture ").empty());
    EXPECT_TRUE(transcript.With("picture ").empty());
    for (const std::string& call : Sounds()) {
        EXPECT_EQ(call.find("LoadSong"), std::string::npos) << call;
        EXPECT_EQ(call.find("huge.wav"), std::string::npos) << call;
    }
    EXPECT_EQ(Said(), (Lines{"Still here"}));
    // The music asked for is still what Ctrl+M would start again.
    EXPECT_EQ(sound->CurrentMusicFile.filename(), "map1.mid");
}

TEST_F(PagesTest, WaitsEndWithAKeyReleaseAndHeldKeysActOnce) {
    // A key already held when the wait starts must be released first; that
    // release does not end the wait.
    rules->OnKeyDown(13);
    events.queue.push_back({E::KeyUp, 13});
    events.Key();
    rules->WaitKey();
    EXPECT_TRUE(events.queue.empty());
    EXPECT_EQ(events.dispatched, 3);
    // A timed wait ends by itself on the virtual clock.
    events.Ticks(20);
    rules->WaitTicks(20);
    EXPECT_EQ(events.ticks, 20);
    // With no events left, every wait ends at once instead of hanging.
    rules->WaitKey();
    rules->WaitTicks(1000);
    rules->WaitPage();
    EXPECT_TRUE(rules->waits.ended);
}

TEST_F(PagesTest, SoundFilesWithWaitHoldTheScriptForTheirLength) {
    root.Write("Projects/Test/Snd/door.wav", "RIFF");
    soundLog->defaults["door.wav"] = sound::SampleDefaults{22050 * 2, 22050};
    events.Ticks(30);
    EXPECT_TRUE(RunLines({"snd door.wav"}));
    EXPECT_EQ(events.ticks, 20);
    EXPECT_TRUE(rules->soundPlayed);
}

TEST_F(PagesTest, InterPlaysAnIntroAndReturnsToTheGame) {
    Intro("Chapter two");
    EXPECT_TRUE(RunLines({"inter 1", "inter 0", "inter 5"}));
    EXPECT_EQ(transcript.With("page view").size(), 1u);
    EXPECT_EQ(transcript.With("game view").size(), 1u);
}

}  // namespace
}  // namespace velmora::rules::test
