// The parallel search: helpers' moves and scores, stopping, node counts and
// the shared table.
#include "search/threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "board/position.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/clock.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "frontend/control.h"
#include "search/bench.h"
#include "search/state.h"
#include "search/think.h"
#include "search/tt.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

const char *MIDDLEGAME_POSITION = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -";

class ThreadedSearch : public RootSearchTest {
protected:
    void TearDown() override {
        options.threads = 1;
        RootSearchTest::TearDown();
    }
};

/// A fingerprint of every slot of the transposition table.
uint64_t tableFingerprint() {
    uint64_t sum = 0;
    uint64_t slots = ttBucketsForShift(options.ttShift) * TT_BUCKET_ENTRIES;
    for (uint64_t i = 0; i < slots; i++) sum = sum * 31 + ttTable[i].check + 7 * ttTable[i].data;
    return sum;
}

/// True when no thread writes the table any more: it stays unchanged while
/// a helper that had not stopped would search several thousand nodes.
bool tableIsQuiet() {
    uint64_t before = tableFingerprint();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return tableFingerprint() == before;
}

TEST_F(ThreadedSearch, EveryBenchPositionGetsALegalMoveAndASaneScore) {
    for (int threads : {2, 4}) {
        for (int i = 0; i < benchPositionCount(); i++) {
            SCOPED_TRACE(std::string(benchPosition(i)) + ", threads " + std::to_string(threads));
            resetEngine();
            options.threads = uint8_t(threads);
            startPosition(benchPosition(i));
            thinkToDepth(4);
            expectPositionRestored();
            ASSERT_NE(mainThread.pvTable[0][0], Move(0));
            EXPECT_NE(findMove(text(mainThread.pvTable[0][0]).c_str()), Move(0));
            EXPECT_GT(mainThread.previousScore, -SCORE_BOUND);
            EXPECT_LT(mainThread.previousScore, SCORE_BOUND);
            EXPECT_GT(totalNodes(), mainThread.nodeCount);  // the helpers' nodes are counted
        }
    }
}

TEST_F(ThreadedSearch, HelpersDoNotChangeTheAnswerOfClearPositions) {
    struct Case { const char *fen; const char *move; int lowest, highest; };
    const Case cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "d1d8", SCORE_BOUND - 1, SCORE_BOUND - 1},  // back-rank mate
        {"7k/5Q2/6K1/8/8/8/8/8 b - -", "", 0, 0},                                          // stalemate
        {"4k3/8/8/3q4/4P3/8/8/R3K3 w - -", "e4d5", 500, 1500},  // the pawn takes the queen: a rook up and more
    };
    for (int threads : {1, 2, 4}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.fen) + ", threads " + std::to_string(threads));
            resetEngine();
            options.threads = uint8_t(threads);
            startPosition(c.fen);
            thinkToDepth(6);
            expectPositionRestored();
            EXPECT_EQ(mainThread.pvTable[0][0] ? text(mainThread.pvTable[0][0]) : "", c.move);
            EXPECT_GE(mainThread.previousScore, c.lowest);
            EXPECT_LE(mainThread.previousScore, c.highest);
        }
    }
}

TEST_F(ThreadedSearch, CommandsAndTheClockStopEveryThreadAtTheFirstPoll) {
    struct Case { const char *input; uint16_t protocol; uint8_t signal; };
    const Case cases[] = {
        {"?", OPT_XBOARD, SIG_MOVE_NOW},    // move now
        {"force", OPT_XBOARD, SIG_ABORT},   // a command that ends the search
        {"stop", OPT_UCI, SIG_ABORT},
        {nullptr, OPT_XBOARD, SIG_MOVE_NOW},  // no input: the clock has run out
    };
    for (int threads : {2, 4}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.input ? c.input : "time-out") + ", threads " + std::to_string(threads));
            resetEngine();
            options.threads = uint8_t(threads);
            options.optionFlags = c.protocol;
            startPosition(MIDDLEGAME_POSITION);
            startCapture();  // the UCI search announces its depths
            if (c.input) {
                sendInput(c.input);
                thinkToDepth(64);
            } else {
                timeControl.moveTime = 100;
                timeControl.maxDepth = 64;
                timeControl.searchStart = elapsedMs() - 100000;  // long past
                think();
            }
            stopCapture();
            EXPECT_EQ(searchSignal, c.signal);
            EXPECT_EQ(mainThread.nodeCount, 8192u);  // the main thread's first poll after iteration 2
            expectPositionRestored();
            EXPECT_TRUE(tableIsQuiet());
            if (c.signal == SIG_MOVE_NOW) {
                EXPECT_NE(findMove(text(mainThread.pvTable[0][0]).c_str()), Move(0));
            }
            game.pendingCommand = 0;
            game.engineSide = NO_SIDE;
        }
    }
}

TEST_F(ThreadedSearch, SettingsChangedDuringASearchLeaveItRunning) {
    // The main thread reads one command at each poll (every 8192 nodes);
    // the settings change while the helpers search, and the last command
    // ends the search. The helpers read none of these settings.
    struct Case { uint16_t protocol; bool analysis; const char *commands[3]; int threadsAfter; uint8_t signal; };
    const Case cases[] = {
        {OPT_XBOARD, false, {"nopost", "cores 3", "?"}, 3, SIG_MOVE_NOW},
        {OPT_XBOARD | OPT_POST, false, {"computer", "cores 1", "force"}, 1, SIG_ABORT},
        {OPT_UCI, false, {"setoption name MultiPV value 3", "setoption name Threads value 4", "stop"}, 4, SIG_ABORT},
        {OPT_UCI, true, {"setoption name MultiPV value 2", "setoption name Threads value 4", "stop"}, 4, SIG_ABORT},
        {OPT_UCI, false, {"debug on", "setoption name Ponder value true", "stop"}, 2, SIG_ABORT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.commands[0]);
        resetEngine();
        options.threads = 2;
        options.optionFlags = c.protocol;
        analyzing = c.analysis;  // "stop" ends the analysis
        startPosition(MIDDLEGAME_POSITION);
        for (const char *command : c.commands) sendInput(command);
        startCapture();
        thinkToDepth(64);
        stopCapture();
        EXPECT_EQ(searchSignal, c.signal);
        EXPECT_EQ(mainThread.nodeCount, 3 * 8192u);  // one command per poll
        EXPECT_EQ(options.threads, c.threadsAfter);
        expectPositionRestored();
        EXPECT_TRUE(tableIsQuiet());
        game.pendingCommand = 0;
        game.engineSide = NO_SIDE;
    }
}

TEST_F(ThreadedSearch, HelpersProbeTheNalimovTablesThroughTheirLock) {
    // A queen-against-king table in which every position with White to move
    // is a win: all threads probe it at once below the root.
    ScratchDirectory scratch;
    ASSERT_NO_FATAL_FAILURE(makeScratchDirectory(scratch, "threads-egtb", false));
    writeScratchFile(scratch, "kqk.nbw", std::string(28644, char(30)));
    std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", scratch.path.c_str());
    options.egtbCacheMB = 1;
    tbVerify = false;
    tbState = -1;
    ASSERT_EQ(tbInit(), 3);
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        resetEngine();
        options.threads = uint8_t(threads);
        startPosition("8/8/8/3k4/8/8/8/Q3K3 b - -");  // Black to move: every reply leaves a table win
        thinkToDepth(5);
        expectPositionRestored();
        EXPECT_NE(findMove(text(mainThread.pvTable[0][0]).c_str()), Move(0));
        EXPECT_LT(mainThread.previousScore, -MATE_REPORT);  // lost, as the table says
    }
    tbRelease();
    options.egtbPath[0] = '\0';
    tbVerify = true;
    removeScratchDirectory(scratch);
}

TEST_F(ThreadedSearch, HelpersProbeTheSyzygyTablesAndTheirHitsAreCounted) {
    std::snprintf(syzygy.path, sizeof syzygy.path, "%s", "tests/data/syzygy");
    syzygyLoad();
    ASSERT_EQ(syzygy.largest, 4);
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        resetEngine();
        options.threads = uint8_t(threads);
        // Kxd4 wins: the capture reaches a won KPvK at ply 1.
        startPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
        thinkToDepth(6);
        expectPositionRestored();
        EXPECT_EQ(mainThread.previousScore, TB_WIN_SCORE - 1);
        EXPECT_NE(findMove(text(mainThread.pvTable[0][0]).c_str()), Move(0));
        if (threads == 1) {
            EXPECT_EQ(totalTbHits(), syzygyHits);
        } else {
            EXPECT_GT(totalTbHits(), syzygyHits);  // the helpers' hits are added
        }
    }
    syzygy.path[0] = '\0';
    syzygyLoad();
}

TEST_F(ThreadedSearch, HelpersPrintNothing) {
    // The main thread announces each depth once, or twice with a re-search,
    // and its lines ("info depth" and the "info score ... depth" lines of the
    // principal variation) come in order of depth. Helpers search ahead of
    // it and, at the depth limit, again and again: a line of theirs would
    // show a depth out of order or too often.
    options.optionFlags = OPT_UCI | OPT_POST;
    options.threads = 4;
    startPosition(MIDDLEGAME_POSITION);
    startCapture();
    thinkToDepth(6);
    std::string output = stopCapture();
    int announced[7] = {}, lastDepthShown = 0, pvLines = 0;
    for (size_t at = 0, end; (end = output.find('\n', at)) != std::string::npos; at = end + 1) {
        std::string line = output.substr(at, end - at);
        size_t depthAt = line.find("depth ");
        if (line.rfind("info ", 0) != 0 || depthAt == std::string::npos) continue;
        SCOPED_TRACE(line);
        int depth = std::atoi(line.c_str() + depthAt + std::strlen("depth "));
        ASSERT_GE(depth, lastDepthShown);
        ASSERT_LE(depth, 6);
        lastDepthShown = depth;
        if (line.rfind("info depth ", 0) == 0)
            announced[depth]++;
        else if (line.find(" pv ") != std::string::npos)
            pvLines++;
    }
    for (int depth = 1; depth <= 6; depth++) {
        EXPECT_GE(announced[depth], 1) << "depth " << depth;
        EXPECT_LE(announced[depth], 2) << "depth " << depth;
    }
    EXPECT_GE(pvLines, 6);  // at least one line per depth
}

TEST_F(ThreadedSearch, TheCarriedOverLineCountsNoNodeOfTheLastSearch) {
    // After our move and the expected reply, the next search first shows
    // the rest of the last line, before it has searched a node: the last
    // search's helpers must not be counted in it.
    options.optionFlags = OPT_XBOARD | OPT_POST;
    options.threads = 2;
    startPosition(MIDDLEGAME_POSITION);
    thinkToDepth(6);
    ASSERT_GE(mainThread.pvLength[0], 3);
    ASSERT_GT(totalNodes(), mainThread.nodeCount);
    ASSERT_TRUE(recordAndMakeMove(mainThread.pvTable[0][0]));
    ASSERT_TRUE(recordAndMakeMove(mainThread.pvTable[0][1]));
    startCapture();
    thinkToDepth(7);
    std::string output = stopCapture();
    int depth = 0, score = 0;
    unsigned long time = 1, nodes = 1;
    ASSERT_EQ(std::sscanf(output.c_str(), "%d %d %lu %lu", &depth, &score, &time, &nodes), 4) << output;
    EXPECT_EQ(depth, 5);  // the last depth less one
    EXPECT_EQ(nodes, 0u) << output.substr(0, output.find('\n'));
}

TEST_F(ThreadedSearch, OneThreadSearchesExactlyAsTheSingleThreadedEngine) {
    // Measured with the engine as it was before it had threads: "bench 4"
    // searched 171574 nodes.
    options.threads = 1;
    uint32_t elapsed;
    EXPECT_EQ(benchNodes(4, &elapsed), 171574u);
}

TEST_F(ThreadedSearch, AfterASearchWithHelpersOneThreadCountsOnlyItsOwnNodes) {
    uint32_t elapsed;
    options.threads = 1;
    uint64_t single = benchNodes(3, &elapsed);
    options.threads = 3;
    benchNodes(3, &elapsed);
    options.threads = 1;
    EXPECT_EQ(benchNodes(3, &elapsed), single);
}

}  // namespace
