// A node budget over all threads in the first iteration of a line carried
// over from the last search (other stops: think_test.cpp). Mate searches and
// the root moves an interface chooses are tested through the engine program
// (tests/protocol/test_uci.py).
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

using LimitedSearch = SearchTest;

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
