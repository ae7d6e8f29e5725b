// The script language: blocks, conditions and statements.
#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <vector>

#include "base/cp1251.h"

#include "rules/script_syntax.h"
#include "unit/rules/rules_fixture.h"

namespace velmora::rules::test {
namespace {

using Lines = std::vector<std::string>;

struct ScriptTest : RulesFixture, ::testing::Test {
    ScriptTest() {
        AddScreen(0, "Двор");
        AddScreen(1, "Башня");
        AddObject(0, "ключ", world::kCarried);
        AddObject(1, "меч", 0);
        Start();
    }
    world::MScreen& Here() { return *gp.map.screens[0]; }
};

TEST_F(ScriptTest, BlocksChooseTheirBranchByCondition) {
    Here().State = 1;
    EXPECT_TRUE(RunLines({"if curss 1", "say A", "endif", "say B"}));
    Here().State = 0;
    EXPECT_TRUE(RunLines({"if curss 1", "say A", "endif", "say B"}));
    EXPECT_EQ(Said(), (Lines{"A", "B", "B"}));
}

TEST_F(ScriptTest, AnEmptyTakenBranchRunsNothingAndFails) {
    EXPECT_FALSE(RunLines({"if carry ключ", "else", "say none", "endif"}));
    gp.map.objects[0]->ScrWhere = 0;
    EXPECT_TRUE(RunLines({"if carry ключ", "else", "say none", "endif"}));
    EXPECT_EQ(Said(), (Lines{"none"}));
    // Only blank lines: nothing ran. No lines at all: true.
    EXPECT_FALSE(RunLines({"", "   "}));
    EXPECT_TRUE(rules->RunScript(""));
}

TEST_F(ScriptTest, NestedBlocksAndFirstColumnScanning) {
    Here().State = 1;
    EXPECT_TRUE(RunLines({"if curss 1", "if carry ключ", "say A", "say B", "endif", "endif"}));
    EXPECT_EQ(Said(), (Lines{"A", "B"}));
    // An indented opener met by the runner works; indented else/endif inside
    // a scanned block are not seen, so the block runs to the next first-column endif.
    transcript.lines.clear();
    EXPECT_TRUE(RunLines({"  if curss 1", "say C", "  else", "say D", "endif"}));
    EXPECT_EQ(Said(), (Lines{"C", "D"}));
    // A second else belongs to the branch after the first one, as an ignored statement.
    transcript.lines.clear();
    Here().State = 0;
    EXPECT_TRUE(RunLines({"if curss 1", "say E", "else", "say F", "else", "say G", "endif"}));
    EXPECT_EQ(Said(), (Lines{"F", "G"}));
}

// The one-pass table answers as the scan of each block does, in every
// branch the runner walks into: random scripts of openers (at the first
// column and indented), elses, endifs and their look-alikes.
void WalkBranches(const std::vector<std::string>& lines, const BlockTable& table, size_t from, size_t to) {
    const std::span<const std::string> branch(lines.data() + from, to - from);
    for (size_t i = 0; i < branch.size(); ++i) {
        if (!OpensBlock(base::TrimBlanks(branch[i]))) continue;
        const BlockLines scanned = ScanBlock(branch, i);
        const BlockLines looked = table.At(from, to, i);
        ASSERT_EQ(looked.elseLine, scanned.elseLine) << "line " << from + i << " of [" << from << ", " << to << ")";
        ASSERT_EQ(looked.endLine, scanned.endLine) << "line " << from + i << " of [" << from << ", " << to << ")";
        if (scanned.endLine == 0) return;
        const size_t trueEnd = scanned.elseLine != 0 ? scanned.elseLine : scanned.endLine;
        WalkBranches(lines, table, from + i + 1, from + trueEnd);
        if (scanned.elseLine != 0) WalkBranches(lines, table, from + scanned.elseLine + 1, from + scanned.endLine);
        i = scanned.endLine;
    }
}

TEST(BlockTable, AgreesWithTheScanOfEveryBlockInEveryBranch) {
    const char* kinds[] = {"if a", "  if b", "else", "elsewhere", "endif", "endif x", "  endif", "  else", "say x", ""};
    std::mt19937 random(27);
    for (int n = 0; n < 3000; ++n) {
        std::vector<std::string> lines(random() % 40);
        for (std::string& line : lines) line = kinds[random() % std::size(kinds)];
        SCOPED_TRACE(::testing::PrintToString(lines));
        const BlockTable table(lines);
        WalkBranches(lines, table, 0, lines.size());
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST_F(ScriptTest, CaseRulesOfKeywordsNamesAndBlocks) {
    // Condition keywords and object names ignore case; block keywords do not.
    EXPECT_TRUE(RunLines({"if CARRY КЛЮЧ", "say yes", "endif"}));
    EXPECT_TRUE(RunLines({"If curss 5", "say runs anyway", "endif"}));
    EXPECT_TRUE(RunLines({"SAY loud"}));
    EXPECT_EQ(Said(), (Lines{"yes", "runs anyway", "loud"}));
}

TEST_F(ScriptTest, AMissingEndifStopsTheScript) {
    EXPECT_FALSE(RunLines({"say before", "if curss 0", "say inside"}));
    EXPECT_EQ(Said(), (Lines{"before"}));
}

TEST_F(ScriptTest, Conditions) {
    auto& cmd = AddCommand(7, 0, 0, {"say x"});
    Start();
    gp.map.objects[1]->State = 3;
    gp.vars.glob_goingto = -1;
    EXPECT_FALSE(rules->TestCondition("done 7"));
    cmd.used = 1;
    EXPECT_TRUE(rules->TestCondition("done 7"));
    EXPECT_FALSE(rules->TestCondition("done 8"));
    EXPECT_FALSE(rules->TestCondition("done x"));
    EXPECT_TRUE(rules->TestCondition(Ru("ostat МЕЧ 3 extra words")));
    EXPECT_FALSE(rules->TestCondition(Ru("ostat меч x")));
    EXPECT_FALSE(rules->TestCondition(Ru("ostat щит 0")));
    EXPECT_TRUE(rules->TestCondition("going"));     // a missing number counts as -1
    EXPECT_TRUE(rules->TestCondition("going abc"));
    EXPECT_FALSE(rules->TestCondition("going 1"));
    EXPECT_FALSE(rules->TestCondition(Ru("carry меч")));
    EXPECT_FALSE(rules->TestCondition("unknown 1"));
    EXPECT_FALSE(rules->TestCondition(""));
}

TEST_F(ScriptTest, WordsAreAtMostNine) {
    EXPECT_EQ(Rules::SplitWords("  a  b c d e f g h i j k  "),
              (Lines{"a", "b", "c", "d", "e", "f", "g", "h", "i"}));
    EXPECT_TRUE(Rules::SplitWords(" \t ").empty());
}

TEST_F(ScriptTest, SayTakesTheLineFromItsFourthCharacterAndSuppressesTheNext) {
    EXPECT_TRUE(RunLines({"if curss 0", "say Hello there, friend", "endif"}));
    EXPECT_EQ(Said(), (Lines{"Hello there, friend"}));
    EXPECT_EQ(gp.hero.LastMessage, " Hello there, friend");
    EXPECT_TRUE(rules->suppressNext);
    rules->SayMessage("swallowed");
    EXPECT_FALSE(rules->suppressNext);
    rules->SayMessage("heard");
    EXPECT_EQ(Said(), (Lines{"Hello there, friend", "heard"}));
}

TEST_F(ScriptTest, MesAndCallUseTheScreensLists) {
    Here().Messages.lines = {Ru("первое")};
    Here().Scripts.lines = {Ru("say from script 1"), Ru("say two\r\nret\r\nsay never")};
    EXPECT_TRUE(RunLines({"mes 1", "mes 2", "call 2", "call 9", "say end"}));
    // mes 2 gives "0": shown and kept, not heard.
    EXPECT_EQ(Said(), (Lines{"первое", "two", "end"}));
    EXPECT_EQ(transcript.With("text ").at(1), "0");
}

TEST_F(ScriptTest, ExitsStatesFramesAndObjects) {
    root.Write("Projects/Test/gif/0-2.gif", "GIF");
    root.Write("Projects/Test/gif/0-3.gif", "GIF");
    EXPECT_TRUE(RunLines({"open север", "close e", "open up", "state 4", "state -3", "frame",
                     "frame 2", "pic", "setostat меч 5", "notakeable меч", "notexam меч"}));
    EXPECT_EQ(Here().North, -1);
    EXPECT_EQ(Here().East, -2);
    EXPECT_EQ(Here().State, 4);
    EXPECT_EQ(Here().ScrFrame, 3);
    EXPECT_EQ(transcript.With("picture "), (Lines{"0-2.gif", "0-3.gif"}));
    const world::MObj& sword = *gp.map.objects[1];
    EXPECT_EQ(sword.State, 5);
    EXPECT_EQ(sword.Takable, 0);
    EXPECT_EQ(sword.NotExam, 1);
}

TEST_F(ScriptTest, ShowAndHideKeepTheListsAndSoundOnce) {
    world::MObj& sword = *gp.map.objects[1];
    EXPECT_TRUE(RunLines({"hide меч", "hide меч"}));
    EXPECT_TRUE(Here().objectsHere.empty());
    EXPECT_TRUE(Sounds().empty());
    EXPECT_TRUE(RunLines({"show меч", "show меч", "show nobody"}));
    EXPECT_EQ(Here().objectsHere, std::vector<world::MObj*>{&sword});
    EXPECT_EQ(Sounds(), (Lines{"PlaySample show.wav"}));
    // Hiding a carried object keeps the load.
    gp.hero.BagFull = 7;
    EXPECT_TRUE(RunLines({"hide ключ"}));
    EXPECT_TRUE(gp.hero.carried.empty());
    EXPECT_EQ(gp.hero.BagFull, 7);
}

TEST_F(ScriptTest, TakeAndDropQuietlyOrOnlyMoveScrWhere) {
    world::MObj& key = *gp.map.objects[0];
    world::MObj& sword = *gp.map.objects[1];
    EXPECT_TRUE(RunLines({"take меч", "drop ключ"}));
    EXPECT_EQ(gp.hero.carried, std::vector<world::MObj*>{&sword});
    EXPECT_EQ(Here().objectsHere, std::vector<world::MObj*>{&key});
    EXPECT_TRUE(Said().empty());  // quiet: no standard messages
    // Not in the expected list: only ScrWhere changes.
    world::MObj& far = AddObject(5, "камень", 1);
    Start();
    EXPECT_TRUE(RunLines({"take камень"}));
    EXPECT_EQ(far.ScrWhere, -1);
    EXPECT_EQ(gp.hero.carried.size(), 1u);
}

TEST_F(ScriptTest, ResultsThatStopAScript) {
    EXPECT_FALSE(RunLines({"say one", "ret", "say two"}));
    gp.game.Death.lines = {Ru("Смерть раз"), Ru("Смерть два")};
    root.Write("Projects/Test/gif/d5.gif", "GIF");
    events.Key();
    events.Key();
    EXPECT_FALSE(RunLines({"die 2 5", "say never"}));
    EXPECT_EQ(Said().at(1), "Смерть два");
    EXPECT_EQ(transcript.With("picture ").at(0), "d5.gif");
    EXPECT_EQ(transcript.With("main menu").size(), 1u);
    EXPECT_EQ(Said().size(), 3u);  // one, the death line, game over
}

TEST_F(ScriptTest, HealthSaturatesAndADeathLetsTheScriptGoOn) {
    gp.hero.Health = 50;
    EXPECT_TRUE(RunLines({"health 2147483647", "health 10"}));
    EXPECT_EQ(gp.hero.Health, INT32_MAX);
    EXPECT_EQ(view.status, "2147483647 0 0");
    gp.hero.Health = 50;
    gp.game.Death.lines = {Ru("Погиб")};
    events.Key();
    events.Key();
    EXPECT_TRUE(RunLines({"health -100", "say after"}));
    EXPECT_EQ(gp.hero.Health, -50);
    EXPECT_EQ(Said().front(), "Погиб");
    EXPECT_EQ(Said().back(), "after");
}

TEST_F(ScriptTest, ForcedAndAwaitedActions) {
    Here().Scripts.lines = {Ru("say one"), Ru("say two")};
    EXPECT_TRUE(RunLines({"force 2"}));
    EXPECT_EQ(gp.vars.glob_forced, 2);
    EXPECT_TRUE(rules->CheckForced());
    EXPECT_FALSE(rules->CheckForced());
    EXPECT_EQ(Said(), (Lines{"two"}));
    // ifnt takes the rest of the line from the first place its third word occurs.
    EXPECT_TRUE(RunLines({"ifnt 12 say 12 is not it"}));
    EXPECT_EQ(gp.vars.glob_waited_act, 12);
    EXPECT_EQ(gp.vars.glob_waited_act_cmd, "say 12 is not it");
    EXPECT_FALSE(rules->CheckWaited(12));  // the awaited action: proceed
    EXPECT_EQ(gp.vars.glob_waited_act, 0);
    EXPECT_TRUE(RunLines({"ifnt 12 mes 3"}));
    EXPECT_TRUE(rules->CheckWaited(-1));   // anything else runs the statement
    EXPECT_FALSE(rules->CheckWaited(-1));  // once
}

TEST_F(ScriptTest, ScriptsThatCallThemselvesEndAtTheDepthLimit) {
    Here().Scripts.lines = {Ru("say x\r\ncall 1")};
    EXPECT_TRUE(RunLines({"call 1", "say done"}));
    EXPECT_EQ(Said().size(), static_cast<size_t>(kMaxScriptDepth) + 0u);
    EXPECT_EQ(Said().back(), "done");
}

TEST_F(ScriptTest, ScriptsThatCallThemselvesTwiceEndWithinABudget) {
    // Two calls a level make 2^64 runs within the depth limit; the budget ends them.
    Here().Scripts.lines = {Ru("state 1\r\ncall 1\r\ncall 1")};
    EXPECT_FALSE(RunLines({"call 1", "say never"}));  // the whole action stops
    EXPECT_TRUE(Said().empty());
    EXPECT_EQ(Here().State, 1);
    // The next action has its whole budget again.
    EXPECT_TRUE(RunLines({"say again"}));
    EXPECT_EQ(Said().back(), "again");
}

TEST_F(ScriptTest, ANestedRunDoesNotReplaceTheOuterLines) {
    Here().Scripts.lines = {Ru("say inner one\r\nsay inner two")};
    EXPECT_TRUE(RunLines({"say outer one", "call 1", "say outer two"}));
    EXPECT_EQ(Said(), (Lines{"outer one", "inner one", "inner two", "outer two"}));
}

// What the table says a statement needs of the world is what the runner
// asks before the statement does anything: without the named object, or
// with the hero on no screen, each such line does nothing and the script
// goes on; a keyword the table lacks does nothing too.
TEST_F(ScriptTest, StatementsWithoutWhatTheyNeedDoNothing) {
    const world::MObj before = *gp.map.objects[1];
    const world::MScreen screenBefore = Here();
    for (const StatementForm& form : StatementForms()) {
        if (form.needs == Needs::Nothing) continue;
        SCOPED_TRACE(form.keyword);
        const std::string kw = form.keyword;
        if (form.needs == Needs::Object) {
            EXPECT_TRUE(RunLines({kw + " посох 2", "say next"}));
        } else {
            world::MScreen* here = gp.hero.currentScreen;
            gp.hero.currentScreen = nullptr;
            EXPECT_TRUE(RunLines({kw + " 1", "say next"}));
            gp.hero.currentScreen = here;
        }
        EXPECT_EQ(Said(), (Lines{"next"}));
        transcript.lines.clear();
    }
    EXPECT_TRUE(RunLines({"open1 n", "say next"}));
    EXPECT_EQ(Here().North, screenBefore.North);
    EXPECT_EQ(Here().ScrFrame, screenBefore.ScrFrame);
    EXPECT_EQ(Here().State, screenBefore.State);
    EXPECT_EQ(gp.map.objects[1]->Visible, before.Visible);
    EXPECT_EQ(gp.hero.carried.size(), 1u);
    EXPECT_TRUE(Sounds().empty());
    // Every keyword of either table is known to exactly one of them.
    for (const StatementForm& form : StatementForms())
        EXPECT_FALSE(IsConditionKeyword(form.keyword));
    for (const ConditionForm& form : ConditionForms())
        EXPECT_EQ(FindStatement(form.keyword), nullptr);
}

}  // namespace
}  // namespace velmora::rules::test
