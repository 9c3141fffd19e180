// Limits of a search besides the clock: a node budget over all threads. Mate
// searches and the root moves an interface chooses are tested through the
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

class LimitedSearch : public RootSearchTest {
protected:
    void TearDown() override {
        options.threads = 1;
        options.optionFlags = OPT_XBOARD;
        analyzing = 0;
        RootSearchTest::TearDown();
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

}  // namespace
