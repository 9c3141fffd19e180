// Thinking lines byte for byte, in both protocols.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "board/makemove.h"
#include "board/position.h"
#include "frontend/control.h"
#include "search/output.h"
#include "search/root.h"
#include "search/state.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

class OutputTest : public SearchTest {
protected:
    /// Sets the principal variation from coordinate moves, played from the
    /// current position.
    void setLine(const char *moves) {
        int16_t start = pos.gamePly;
        ASSERT_TRUE(playMoves(moves));
        mainThread.pvLength[0] = uint8_t(pos.gamePly - start);
        for (int ply = start; ply < pos.gamePly; ply++) mainThread.pvTable[0][ply - start] = pos.undoStack[ply].move;
        while (pos.gamePly > start) unmakeMove();
        pos.ply = 0;
    }

    /// Prints a line as after 1.5 seconds and 40000 nodes.
    std::string lineOf(int depth, int score, uint8_t bound = BOUND_EXACT) {
        mainThread.nodeCount = 40000;
        mainThread.selDepth = 7;
        startCapture();
        timeControl.searchStart = elapsedMs() - 1500;  // after the capture file is made, which may take a while
        printPV(depth, score, bound);
        return stopCapture();
    }
};

TEST_F(OutputTest, XboardLineOnlyWithPostRepeatedOnRequestAndCutAtAStaleMove) {
    options.optionFlags = OPT_XBOARD;
    setPosition("4k3/8/8/8/8/8/8/R3K3 w - -");
    setLine("a1a8 e8d7");
    EXPECT_EQ(lineOf(2, 23), "");
    options.optionFlags = OPT_XBOARD | OPT_POST;
    EXPECT_EQ(lineOf(2, -9998), " 2 -9998    150 40000   Ra8+ Kd7\n");
    EXPECT_EQ(lineOf(2, 23), " 2    23    150 40000   Ra8+ Kd7\n");
    mainThread.nodeCount = 99;
    startCapture();
    printPV(0, 0);  // depth 0 prints the last line again
    printWindowFail(true, 5, 900);
    printWindowFail(false, 5, -30);
    EXPECT_EQ(stopCapture(), " 2    23    150 40000   Ra8+ Kd7\n++\n--\n");
    // A stale line ends at its first impossible move: Ra8 again, from a1.
    mainThread.pvTable[0][2] = mainThread.pvTable[0][0];
    mainThread.pvLength[0] = 3;
    EXPECT_EQ(lineOf(3, 10), " 3    10    150 40000   Ra8+ Kd7\n");
    EXPECT_EQ(mainThread.pvLength[0], 2);
}

/// Checks a UCI line against the expected text with the time field as
/// printed, and the nodes per second worked out from that time; the table
/// is empty and no tablebase was probed.
void expectUciLine(const std::string &line, const std::string &scoreText, const std::string &rest) {
    std::string head = "info score " + scoreText + " depth 5 seldepth 7 time ";
    ASSERT_EQ(line.compare(0, head.size(), head), 0) << line;
    unsigned long time = std::strtoul(line.c_str() + head.size(), nullptr, 10);
    ASSERT_GE(time, 1500u);
    std::string expected = head + std::to_string(time) + " nodes 40000 nps " + std::to_string(40000000 / time) +
                           " hashfull 0 tbhits 0 " + rest;
    EXPECT_EQ(line, expected);
}

TEST_F(OutputTest, UciLinesCarryTheBoundAndTheLineNumberOnlyForSeveralLines) {
    options.optionFlags = OPT_UCI | OPT_POST;
    setPosition("8/4P3/8/8/8/8/k7/4K3 w - -");
    setLine("e7e8q a2b2");
    expectUciLine(lineOf(5, 812), "cp 812", "pv e7e8q a2b2\n");
    expectUciLine(lineOf(5, 9997), "mate 2", "pv e7e8q a2b2\n");
    shownMultiPv = searchMultiPv = 3;
    expectUciLine(lineOf(5, 812, BOUND_LOWER), "cp 812 lowerbound", "multipv 1 pv e7e8q a2b2\n");
    shownMultiPv = searchMultiPv = 1;
    // A fail low shows the last iteration's line with its upper bound.
    std::memcpy(mainThread.savedPv, mainThread.pvTable[0], sizeof mainThread.savedPv);
    mainThread.savedPv[2] = 0;
    mainThread.nodeCount = 40000;
    startCapture();
    printWindowFail(false, 5, -30);
    printWindowFail(true, 5, 900);  // shown when it happened
    expectUciLine(stopCapture(), "cp -30 upperbound", "pv e7e8q a2b2\n");
}

TEST_F(OutputTest, UciMateScoresCountMovesNotPlies) {
    struct Case { int score; const char *kind; int value; };
    for (Case c : {Case{9999, "mate", 1}, Case{9997, "mate", 2}, Case{-9998, "mate", -1}, Case{-9996, "mate", -2},
                   Case{9000, "cp", 9000}, Case{-9001, "mate", -500}}) {
        int value = 0;
        EXPECT_STREQ(uciScore(c.score, &value), c.kind) << c.score;
        EXPECT_EQ(value, c.value) << c.score;
    }
}

}  // namespace
