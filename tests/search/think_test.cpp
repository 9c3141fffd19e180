// The search driver: stopping rules, aspiration re-searches, the wait for a
// ponder hit, and the abandon path that restores the position.
#include <gtest/gtest.h>

#include <string>

#include "board/position.h"
#include "frontend/control.h"
#include "frontend/input.h"
#include "search/state.h"
#include "search/think.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

class ThinkTest : public SearchTest {};

const char *MIDDLEGAME_POSITION = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -";

int occurrences(const std::string &text, const std::string &part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) count++;
    return count;
}

TEST_F(ThinkTest, MateInOneIsPlayedAfterTheThirdIteration) {
    setPosition("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -");
    thinkToDepth(20);
    EXPECT_EQ(text(mainThread.pvTable[0][0]), "d1d8");
    EXPECT_EQ(mainThread.previousScore, SCORE_BOUND - 1);
    EXPECT_EQ(mainThread.lastDepth, 3);
}

TEST_F(ThinkTest, NoLegalMoveLeavesNoMove) {
    setPosition("7k/5Q2/6K1/8/8/8/8/8 b - -");
    thinkToDepth(10);
    EXPECT_EQ(mainThread.pvTable[0][0], Move(0));
    EXPECT_EQ(mainThread.previousScore, 0);
}

/// Searches the hanging-queen position to depth 1 after a previous score,
/// and returns how many root searches announced that depth.
int rootSearchesAfter(int16_t previous) {
    // Under UCI every root search announces its depth: a re-search shows as
    // a second "info depth 1" line.
    options.optionFlags = OPT_UCI;
    setPosition("4k3/8/8/3q4/4P3/8/8/4K3 w - -");
    mainThread.previousScore = previous;
    startCapture();
    thinkToDepth(1);
    return occurrences(stopCapture(), "info depth 1 seldepth 1\n");
}

TEST_F(ThinkTest, ScoreOutsideTheWindowIsSearchedAgain) {
    EXPECT_EQ(rootSearchesAfter(30), 2);  // window (-11, 71): the queen is worth far more
    int16_t score = mainThread.previousScore;
    EXPECT_GT(score, 71);
    EXPECT_EQ(rootSearchesAfter(int16_t(score - 40)), 1);  // the window now holds the score
    EXPECT_EQ(rootSearchesAfter(int16_t(score + 41)), 2);  // fail low
    EXPECT_EQ(mainThread.previousScore, score);
}

TEST_F(ThinkTest, FinishedPonderSearchWaitsForTheHitEvenAtDepthOne) {
    options.optionFlags = OPT_UCI;
    setPosition(MIDDLEGAME_POSITION);
    pondering = 1;
    sendInput("ponderhit");
    startCapture();
    thinkToDepth(1);  // over before any poll: the wait itself must see the hit
    stopCapture();
    EXPECT_EQ(pondering, 0);
    EXPECT_EQ(searchSignal, SIG_NONE);
    EXPECT_NE(mainThread.pvTable[0][0], Move(0));
}

using AbandonTest = RootSearchTest;

TEST_F(AbandonTest, TimeOutAtTheFirstPollPlaysTheBestMoveSoFar) {
    startPosition(MIDDLEGAME_POSITION);
    timeControl.moveTime = 100;  // one second per move, already used up
    timeControl.maxDepth = 64;
    timeControl.searchStart = elapsedMs() - 100000;
    think();
    EXPECT_EQ(searchSignal, SIG_MOVE_NOW);
    EXPECT_EQ(mainThread.nodeCount, 8192u);  // the clock is only read every 8192 nodes
    expectPositionRestored();
    ASSERT_NE(mainThread.pvTable[0][0], Move(0));
    EXPECT_NE(findMove(text(mainThread.pvTable[0][0]).c_str()), Move(0));
    EXPECT_GT(mainThread.lastDepth, 1);
}

TEST_F(AbandonTest, CommandDuringTheSearchAbortsIt) {
    startPosition(MIDDLEGAME_POSITION);
    sendInput("force");
    thinkToDepth(64);
    EXPECT_EQ(searchSignal, SIG_ABORT);
    EXPECT_EQ(game.pendingCommand, CMD_FORCE);
    EXPECT_EQ(mainThread.nodeCount, 8192u);  // seen at the first poll after iteration 2
    expectPositionRestored();
    game.pendingCommand = 0;
}

TEST_F(AbandonTest, WithoutAnInputReaderTheSearchRunsToItsDepthAndLeavesCommandsWaiting) {
    startPosition(MIDDLEGAME_POSITION);
    InputPoller frontEndReader = setInputPoller(nullptr);
    sendInput("force");
    analyzing = 1;  // a finished analysis waits for a command only when it can read one
    thinkToDepth(4);
    analyzing = 0;
    setInputPoller(frontEndReader);
    EXPECT_EQ(searchSignal, SIG_NONE);
    EXPECT_EQ(mainThread.lastDepth, 4);
    EXPECT_EQ(game.pendingCommand, 0u);
    expectPositionRestored();
    checkInput(true);  // the command is still there for the front end
    EXPECT_EQ(game.pendingCommand, CMD_FORCE);
    game.pendingCommand = 0;
}

}  // namespace
