// The timer and a key script in real time, on a clock the test moves by hand.
#include <gtest/gtest.h>

#include "frontend/common/key_script.h"
#include "frontend/common/real_time.h"

namespace velmora::frontend {
namespace {

using std::chrono::milliseconds;

// Ticks come every 100 ms from the start; those missed while the game was
// busy come as one event, and the next is due 100 ms after the last counted.
TEST(TickClock, TicksThatPassedComeAsOne) {
    const RealClock::time_point start{};
    TickClock ticks(start);
    EXPECT_FALSE(ticks.Due(start + milliseconds(99)));
    auto one = ticks.Due(start + milliseconds(100));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->kind, shell::Event::Kind::Tick);
    EXPECT_EQ(one->ticks, 1);
    EXPECT_FALSE(ticks.Due(start + milliseconds(150)));
    auto many = ticks.Due(start + milliseconds(1250));
    ASSERT_TRUE(many);
    EXPECT_EQ(many->ticks, 11);
    EXPECT_EQ(ticks.NextTick(), start + milliseconds(1300));
}

// Keys come one after another; a wait holds the next key back for its time,
// waits in a row add up, and the script is used up only when its last wait
// is over.
TEST(RealTimeScript, KeysWaitForTheWaitsBeforeThem) {
    RealTimeScript script(ParseKeyScript("Down\nwait 200\nwait 100\nEnter\nwait 50\n", "k"));
    const RealClock::time_point t0{};
    auto down = script.Next(t0);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->key, 40);
    EXPECT_FALSE(script.Next(t0));  // the first wait starts
    EXPECT_EQ(script.WaitEnd(), t0 + milliseconds(200));
    EXPECT_FALSE(script.Next(t0 + milliseconds(199)));
    EXPECT_FALSE(script.Next(t0 + milliseconds(200)));  // the second starts
    EXPECT_EQ(script.WaitEnd(), t0 + milliseconds(300));
    auto enter = script.Next(t0 + milliseconds(300));
    ASSERT_TRUE(enter);
    EXPECT_EQ(enter->key, 13);
    EXPECT_FALSE(script.UsedUp(t0 + milliseconds(300)));
    EXPECT_FALSE(script.Next(t0 + milliseconds(300)));
    EXPECT_FALSE(script.UsedUp(t0 + milliseconds(349)));
    EXPECT_TRUE(script.UsedUp(t0 + milliseconds(350)));
    EXPECT_FALSE(script.Next(t0 + milliseconds(400)));

    RealTimeScript empty({});
    EXPECT_TRUE(empty.UsedUp(t0));
}

}  // namespace
}  // namespace velmora::frontend
