// Limits of a search besides the clock: a node budget over all threads. Mate
// searches and the root moves an interface chooses are tested through the
// engine program (tests/protocol/test_golimits.py).
#include "search/limits.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "board/position.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "frontend/control.h"
#include "search/state.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/tt.h"
#include "tests/search/search_fixture.h"

namespace {

using LimitedSearch = RootSearchTest;

TEST_F(LimitedSearch, NodeBudgetStopsEveryThreadWithinOnePollEach) {
    // A game search at its budget plays as after a time-out; an analysis
    // waits for "stop", read at the first look at the input, at 8192 nodes.
    struct Case { int threads; bool analysis; uint64_t nodes; };
    for (Case c : {Case{1, false, 60000}, Case{2, false, 60000}, Case{1, true, 5000}}) {
        SCOPED_TRACE(std::to_string(c.threads) + (c.analysis ? " threads, analysis" : " threads"));
        resetEngine();
        options.threads = uint8_t(c.threads);
        options.optionFlags = c.analysis ? OPT_UCI : OPT_XBOARD;
        startPosition(MIDDLEGAME_POSITION);
        analyzing = c.analysis;
        if (c.analysis) sendInput("stop");
        searchLimits.nodes = c.nodes;
        thinkToDepth(8);  // a million nodes
        EXPECT_EQ(searchSignal, c.analysis ? SIG_ABORT : SIG_MOVE_NOW);
        EXPECT_EQ(analyzing, 0);
        EXPECT_GE(totalNodes(), c.nodes);
        EXPECT_LT(totalNodes(), c.nodes + 1024u * c.threads);
        expectPositionRestored();
        expectMoveFound();
        EXPECT_EQ(searchLimits.nodes, 0u);  // the limits were for that search only
    }
}

TEST_F(LimitedSearch, CarriedOverLineCountsNoOldNodeAndItsFirstIterationObeysTheBudget) {
    // After our move and the expected reply, the next search first shows the
    // rest of the last line, one iteration less deep, before it has searched
    // a node: the last search's helpers must not be counted in it. A budget
    // spent in that iteration plays the line's next move.
    options.optionFlags = OPT_XBOARD | OPT_POST;
    options.threads = 2;
    startPosition(MIDDLEGAME_POSITION);
    thinkToDepth(7);
    ASSERT_GE(mainThread.pvLength[0], 3);
    ASSERT_GT(totalNodes(), mainThread.nodeCount);
    Move answer = mainThread.pvTable[0][2];
    ASSERT_TRUE(recordAndMakeMove(mainThread.pvTable[0][0]));
    ASSERT_TRUE(recordAndMakeMove(mainThread.pvTable[0][1]));
    rememberRoot();
    ttClear();  // so that the sixth iteration takes far more than the budget
    searchLimits.nodes = 3000;
    startCapture();
    thinkToDepth(64);
    std::string output = stopCapture();
    int depth = 0, score = 0;
    unsigned long time = 1, nodes = 1;
    ASSERT_EQ(std::sscanf(output.c_str(), "%d %d %lu %lu", &depth, &score, &time, &nodes), 4) << output;
    EXPECT_EQ(depth, 6);
    EXPECT_EQ(nodes, 0u) << output.substr(0, output.find('\n'));
    expectPositionRestored();
    EXPECT_LT(totalNodes(), 3000u + 2 * 1024u);
    EXPECT_EQ(mainThread.lastDepth, 0);  // no iteration was completed
    EXPECT_EQ(mainThread.pvTable[0][0], answer);
}

}  // namespace
