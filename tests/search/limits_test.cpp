// Limits of a search besides the clock: a node budget over all threads and
// a mate to find. The root moves an interface chooses are tested through the
// engine program (tests/protocol/test_golimits.py).
#include "search/limits.h"

#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/position.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "frontend/input.h"
#include "search/state.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/tt.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

const char *MIDDLEGAME_POSITION = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -";
// Nf6+ gxf6 Bxf7 mate, the only mate in two (checked with Debian's stockfish).
const char *MATE_IN_TWO = "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10";
// Bc5+ Kxc5 Qb6+ Kd5 Qd6 mate.
const char *MATE_IN_THREE = "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1";

class LimitedSearch : public RootSearchTest {
protected:
    void TearDown() override {
        options.threads = 1;
        options.optionFlags = OPT_XBOARD;
        analyzing = 0;
        RootSearchTest::TearDown();
    }

    /// Runs a mate search to `depth` with a "stop" waiting in the input: a
    /// search that waits for its end reads it; one that ended by itself
    /// leaves it. Returns true when the search ended by itself.
    bool mateSearchEndsByItself(const char *fen, int moves, int depth = 64) {
        options.optionFlags = OPT_UCI;
        startPosition(fen);
        searchLimits.mateMoves = moves;
        searchLimits.untilStop = true;
        sendInput("stop");
        thinkToDepth(depth);
        expectPositionRestored();
        bool byItself = searchSignal == SIG_NONE;
        if (byItself) checkInput(true);  // the stop, for no later test to read
        return byItself;
    }
};

TEST_F(LimitedSearch, NodeBudgetStopsEveryThreadWithinOnePollEach) {
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        resetEngine();
        options.threads = uint8_t(threads);
        startPosition(MIDDLEGAME_POSITION);
        searchLimits.nodes = 60000;
        thinkToDepth(8);  // a million nodes
        EXPECT_EQ(searchSignal, SIG_MOVE_NOW);  // played as after a time-out
        EXPECT_GE(totalNodes(), 60000u);
        EXPECT_LT(totalNodes(), 60000u + 1024u * threads);
        expectPositionRestored();
        ASSERT_NE(mainThread.pvTable[0][0], Move(0));
        EXPECT_NE(findMove(text(mainThread.pvTable[0][0]).c_str()), Move(0));
        EXPECT_EQ(searchLimits.nodes, 0u);  // the limits were for that search only
    }
}

TEST_F(LimitedSearch, TinyNodeBudgetStillCompletesTheFirstIteration) {
    startPosition(MIDDLEGAME_POSITION);
    searchLimits.nodes = 1;
    thinkToDepth(8);
    EXPECT_GE(mainThread.lastDepth, 1);
    EXPECT_NE(findMove(text(mainThread.pvTable[0][0]).c_str()), Move(0));
}

TEST_F(LimitedSearch, NodeBudgetStopsTheFirstIterationOfACarriedOverLine) {
    startPosition(MIDDLEGAME_POSITION);
    thinkToDepth(8);
    Move reply = mainThread.pvTable[0][1], answer = mainThread.pvTable[0][2];
    ASSERT_TRUE(makeMove(mainThread.pvTable[0][0]));
    ASSERT_TRUE(makeMove(reply));  // the expected reply: the line goes on at depth 7
    pos.ply = 0;
    keyBefore = pos.hashKey;
    plyBefore = pos.gamePly;
    ttClear();  // so that depth 7 takes far more than the budget
    searchLimits.nodes = 3000;
    thinkToDepth(64);
    expectPositionRestored();
    EXPECT_LT(totalNodes(), 3000u + 1024u);
    EXPECT_EQ(mainThread.lastDepth, 0);  // no iteration was completed
    EXPECT_EQ(mainThread.pvTable[0][0], answer);
}

TEST_F(LimitedSearch, AnalysisAtItsNodeBudgetWaitsForStop) {
    options.optionFlags = OPT_UCI;
    startPosition(MIDDLEGAME_POSITION);
    analyzing = 1;
    searchLimits.nodes = 5000;  // spent before the first look at the input, at 8192 nodes
    sendInput("stop");
    thinkToDepth(60);
    EXPECT_EQ(searchSignal, SIG_ABORT);
    EXPECT_EQ(analyzing, 0);
    EXPECT_GE(totalNodes(), 5000u);
    EXPECT_LT(totalNodes(), 5000u + 1024u);
    expectPositionRestored();
}

TEST_F(LimitedSearch, MateSearchEndsAtAMateWithinItsMoves) {
    ASSERT_TRUE(mateSearchEndsByItself(MATE_IN_TWO, 2));
    EXPECT_EQ(text(mainThread.pvTable[0][0]), "d5f6");
    EXPECT_EQ(mainThread.previousScore, SCORE_BOUND - 3);  // mate at the third ply
    ASSERT_TRUE(mateSearchEndsByItself(MATE_IN_THREE, 3));
    EXPECT_EQ(text(mainThread.pvTable[0][0]), "f8c5");
    EXPECT_EQ(mainThread.previousScore, SCORE_BOUND - 5);
    // A mate in three is no answer to a search for a mate in two, and a
    // search that found no mate waits for "stop" after its last iteration.
    EXPECT_FALSE(mateSearchEndsByItself(MATE_IN_THREE, 2));
    EXPECT_FALSE(mateSearchEndsByItself(MIDDLEGAME_POSITION, 5, 4));
}

}  // namespace
