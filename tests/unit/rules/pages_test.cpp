// Page sequences and the waits, on the virtual clock of scripted events.
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
