// The search driver: answers with any number of threads, what stops a
// search (the clock, commands, a node budget), and the wait for a ponder hit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/position.h"
#include "engine/searchflags.h"
#include "frontend/control.h"
#include "search/bench.h"
#include "search/limits.h"
#include "search/state.h"
#include "search/think.h"
#include "search/threads.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

using ThinkTest = SearchTest;

TEST_F(ThinkTest, EveryPositionGetsALegalMoveAndClearOnesTheSameAnswerWithAnyNumberOfThreads) {
    struct Case { const char *fen, *move; int lowest, highest, lastDepth; };
    std::vector<Case> cases{
        // A back-rank mate, played once the third iteration has confirmed it.
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "d1d8", SCORE_BOUND - 1, SCORE_BOUND - 1, 3},
        {"7k/5Q2/6K1/8/8/8/8/8 b - -", "", 0, 0, 0},                         // stalemate: no move
        {"4k3/8/8/3q4/4P3/8/8/R3K3 w - -", "e4d5", 500, 1500, 6},  // the pawn takes the queen: a rook up and more
    };
    for (int i = 0; i < benchPositionCount(); i++)  // every kind of position, searched to depth 4
        cases.push_back({benchPosition(i), nullptr, 1 - SCORE_BOUND, SCORE_BOUND - 1, -1});
    for (int threads : {1, 2, 4}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.fen) + ", threads " + std::to_string(threads));
            search(c.fen, threads, c.move ? 6 : 4);
            if (c.move) {
                EXPECT_EQ(mainThread.pvTable[0][0] ? text(mainThread.pvTable[0][0]) : "", c.move);
                EXPECT_EQ(mainThread.lastDepth, c.lastDepth);
            } else {
                expectMoveFound();
            }
            EXPECT_GE(mainThread.previousScore, c.lowest);
            EXPECT_LE(mainThread.previousScore, c.highest);
            if (threads > 1) {
                EXPECT_GT(totalNodes(), mainThread.nodeCount);  // the helpers' nodes are counted
            }
        }
    }
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

TEST_F(ThinkTest, CommandsTheClockAndANodeBudgetStopEveryThread) {
    // The main thread first reads the clock and the input at its 8192nd
    // node, after the second iteration; a time-out plays the best move so
    // far. A node budget stops every thread within one poll (1024 nodes)
    // each: a game search then plays as after a time-out, an analysis waits
    // for its "stop".
    struct Case { const char *input; uint16_t protocol; int threads; uint64_t budget; uint8_t signal; };
    for (Case c : {Case{"?", OPT_XBOARD, 1, 0, SIG_MOVE_NOW}, Case{"force", OPT_XBOARD, 2, 0, SIG_ABORT},
                   Case{"stop", OPT_UCI, 4, 0, SIG_ABORT}, Case{nullptr, OPT_XBOARD, 1, 0, SIG_MOVE_NOW},
                   Case{nullptr, OPT_XBOARD, 4, 0, SIG_MOVE_NOW}, Case{nullptr, OPT_XBOARD, 1, 60000, SIG_MOVE_NOW},
                   Case{nullptr, OPT_XBOARD, 2, 60000, SIG_MOVE_NOW}, Case{"stop", OPT_UCI, 1, 5000, SIG_ABORT}}) {
        SCOPED_TRACE(std::string(c.input ? c.input : c.budget ? "budget" : "time-out") + ", threads " +
                     std::to_string(c.threads));
        resetEngine();
        options.threads = uint8_t(c.threads);
        options.optionFlags = c.protocol;
        startPosition(MIDDLEGAME_POSITION);
        analyzing = c.budget && c.input;
        searchLimits.nodes = c.budget;
        if (c.input) sendInput(c.input);
        startCapture();  // the UCI search announces its depths
        if (c.input || c.budget) {
            thinkToDepth(8);  // a million nodes
        } else {
            timeControl.moveTime = 100;  // one second per move, long used up
            timeControl.searchStart = elapsedMs() - 100000;
            think();
        }
        stopCapture();
        EXPECT_EQ(searchSignal, c.signal);
        if (c.budget) {
            EXPECT_GE(totalNodes(), c.budget);
            EXPECT_LT(totalNodes(), c.budget + 1024u * c.threads);
            EXPECT_EQ(searchLimits.nodes, 0u);  // the limits were for that search only
            EXPECT_EQ(analyzing, 0);
        } else {
            EXPECT_EQ(mainThread.nodeCount, 8192u);
        }
        expectPositionRestored();
        if (c.signal == SIG_MOVE_NOW) {
            expectMoveFound();
            EXPECT_GT(mainThread.lastDepth, 1);
        }
        EXPECT_EQ(game.pendingCommand, c.signal == SIG_ABORT && c.protocol == OPT_XBOARD ? CMD_FORCE : 0u);
        game.pendingCommand = 0;
        game.engineSide = NO_SIDE;
    }
}

}  // namespace
