// The UCI handler's worked examples: the clock parameters of go, the
// options, the position command's move list, and coordinate moves.
#include <gtest/gtest.h>

#include <string>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "frontend/control.h"
#include "frontend/uci.h"
#include "search/tt.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/board_helpers.h"

class UciHandler : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        options.optionFlags = OPT_UCI | OPT_POST;
    }
};

TEST_F(UciHandler, GoWithClocksTakesTheSideToMovesTimeAndIncrement) {
    setFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -");
    timeControl.lagAllowance = 90;
    send("go wtime 60000 btime 50000 winc 1000 binc 1000");
    EXPECT_EQ(game.pendingCommand, CMD_GO);
    EXPECT_EQ(timeControl.clock[WHITE], 6000);
    EXPECT_EQ(timeControl.clock[BLACK], 5000);
    EXPECT_EQ(timeControl.baseTime, 5000u);
    EXPECT_EQ(timeControl.increment, 100);
    EXPECT_EQ(timeControl.moveTime, 5000u);
    EXPECT_EQ(timeControl.movesPerControl, 0);
    EXPECT_EQ(timeControl.maxDepth, 64);
    EXPECT_EQ(timeControl.lagAllowance, 20);
}

TEST_F(UciHandler, GoWithMovesToGoSplitsTheClock) {
    send("go btime 50000 wtime 60000 movestogo 20 binc 300");
    EXPECT_EQ(timeControl.movesPerControl, 20);
    EXPECT_EQ(timeControl.baseTime, 6000u);  // White to move
    EXPECT_EQ(timeControl.increment, 0);     // only Black has one
    EXPECT_EQ(timeControl.moveTime, 600u);   // 6000 / 20 = 300, twice
}

TEST_F(UciHandler, GoReadsClocksOnlyWhenTheFirstWordIsATimeWord) {
    timeControl.clock[WHITE] = timeControl.clock[BLACK] = 700;
    send("go winc 1000 wtime 60000");
    EXPECT_EQ(game.pendingCommand, CMD_GO);
    EXPECT_EQ(timeControl.clock[WHITE], 700);
    EXPECT_EQ(timeControl.baseTime, 500u);
    EXPECT_EQ(timeControl.moveTime, 500u);
    EXPECT_EQ(timeControl.increment, 0);
}

TEST_F(UciHandler, GoMovetimeIsAFixedTimeAtFullDepth) {
    timeControl.maxDepth = 12;
    send("go movetime 2500");
    EXPECT_EQ(timeControl.moveTime, 250u);
    EXPECT_EQ(timeControl.movesPerControl, 0);
    EXPECT_EQ(timeControl.baseTime, 0u);
    EXPECT_EQ(timeControl.increment, 0);
    EXPECT_EQ(timeControl.maxDepth, 64);
    EXPECT_EQ(timeControl.clock[WHITE], 250);
    EXPECT_EQ(timeControl.clock[BLACK], 250);
}

TEST_F(UciHandler, GoMovetimeBelowOneCentisecondStillHasALimit) {
    // 5 ms is 0 centiseconds, which would mean no time limit at all.
    send("go movetime 5");
    EXPECT_EQ(timeControl.moveTime, 1u);
    send("go movetime 0");
    EXPECT_EQ(timeControl.moveTime, 1u);
}

TEST_F(UciHandler, GoDepthIsCappedAndHasNoTimeLimit) {
    send("go depth 80");
    EXPECT_EQ(timeControl.maxDepth, 56);
    EXPECT_EQ(timeControl.moveTime, 0u);
    EXPECT_EQ(timeControl.baseTime, 0u);
    EXPECT_EQ(timeControl.clock[WHITE], 0);
    send("go mate 300");  // kept in 8 bits: 44
    EXPECT_EQ(timeControl.maxDepth, 44);
}

TEST_F(UciHandler, GoNodesIsRefusedAndInfiniteIsAnalysis) {
    EXPECT_EQ(send("go nodes 10000"), "'go nodes' command not supported!\n");
    EXPECT_EQ(timeControl.moveTime, 500u);
    send("go infinite");
    EXPECT_EQ(game.pendingCommand, CMD_ANALYZE);
}

TEST_F(UciHandler, GoPonderReadsTheClocksAfterIt) {
    setFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -");
    send("go ponder wtime 30000 btime 20000");
    EXPECT_EQ(pondering, 1);
    EXPECT_EQ(game.pendingCommand, CMD_GO);
    EXPECT_EQ(timeControl.baseTime, 2000u);
}

TEST_F(UciHandler, GoSubCommandWithoutItsNumberKeepsTheLimits) {
    timeControl.clock[WHITE] = timeControl.clock[BLACK] = 700;
    for (const char *line : {"go movetime", "go depth", "go mate"}) {
        send(line);
        EXPECT_EQ(game.pendingCommand, CMD_GO) << line;
        EXPECT_EQ(timeControl.moveTime, 500u) << line;
        EXPECT_EQ(timeControl.maxDepth, 64) << line;
        EXPECT_EQ(timeControl.clock[WHITE], 700) << line;
    }
}

TEST_F(UciHandler, GoDuringASearchIsIgnored) {
    searching = 1;
    send("go depth 3");
    EXPECT_EQ(game.pendingCommand, 0u);
    EXPECT_EQ(timeControl.maxDepth, 64);
}

TEST_F(UciHandler, HashSizeInMegabytes) {
    send("setoption name Hash value 64");
    EXPECT_EQ(options.ttShift, 12);  // 2^20 buckets, 48 MB
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 1048576u);
    send("setoption name hash value 4");
    EXPECT_EQ(options.ttShift, 16);  // the 3 MB table
    send("setoption name Hash value 0");
    EXPECT_EQ(options.ttShift, 23);  // the smallest table, 512 buckets
}

TEST_F(UciHandler, HashThatCannotBeAllocatedKeepsTheOldTable) {
    TTEntry *before = ttTable;
    // 96 GiB, more than the machine can give.
    send("setoption name Hash value 200000");
    EXPECT_EQ(options.ttShift, 16);
    EXPECT_EQ(ttTable, before);
}

TEST_F(UciHandler, MultiPvOutsideOneToFiveGivesOne) {
    struct Case { const char *line; int lines; };
    for (Case c : {Case{"setoption name MultiPV value 9", 1}, Case{"setoption name MultiPV value 3", 3},
                   Case{"setoption name multipv value 0", 1}, Case{"setoption name MultiPV value 261", 5},
                   Case{"setoption name MultiPV value 5", 5}}) {
        send(c.line);
        EXPECT_EQ(options.multiPv, c.lines) << c.line;
    }
}

TEST_F(UciHandler, OpponentKindIsTheThirdValueWord) {
    send("setoption name UCI_Opponent value GM 2800 computer Name");
    EXPECT_TRUE(options.optionFlags & OPT_COMPUTER);
    send("setoption name UCI_Opponent value none none human Someone");
    EXPECT_FALSE(options.optionFlags & OPT_COMPUTER);
    send("setoption name UCI_Opponent value IM 2400 Computer");
    EXPECT_TRUE(options.optionFlags & OPT_COMPUTER);
    send("setoption name UCI_Opponent value IM 2400");
    EXPECT_FALSE(options.optionFlags & OPT_COMPUTER);
}

TEST_F(UciHandler, CheckOptionsAreTrueOnlyForAWordBeginningWithT) {
    send("setoption name Ponder value true");
    EXPECT_TRUE(options.optionFlags & OPT_PONDER);
    send("setoption name Ponder value false");
    EXPECT_FALSE(options.optionFlags & OPT_PONDER);
    send("setoption name CanResign value TRUE");
    EXPECT_TRUE(options.optionFlags & OPT_RESIGN);
    send("setoption name EnableBookLearning value t");
    EXPECT_TRUE(options.optionFlags & OPT_LEARN);
    send("setoption name EnableBookLearning value yes");
    EXPECT_FALSE(options.optionFlags & OPT_LEARN);
}

TEST_F(UciHandler, SetoptionWithoutItsValueIsIgnored) {
    options.optionFlags |= OPT_PONDER;
    for (const char *line : {"setoption name Ponder value", "setoption name Ponder", "setoption name", "setoption",
                             "setoption name Hash value", "setoption name MultiPV"}) {
        send(line);
        EXPECT_TRUE(options.optionFlags & OPT_PONDER) << line;
        EXPECT_EQ(options.ttShift, 16) << line;
        EXPECT_EQ(options.multiPv, 1) << line;
    }
}

TEST_F(UciHandler, DebugLinesFollowTheDebugCommand) {
    send("debug on");
    EXPECT_TRUE(options.optionFlags & OPT_DEBUG);
    std::string echoed = send("isready");
    EXPECT_EQ(echoed.substr(echoed.find(')')), ") < isready\nreadyok\n");
    send("debug");  // without a word: unchanged
    EXPECT_TRUE(options.optionFlags & OPT_DEBUG);
    send("debug OFF");
    EXPECT_FALSE(options.optionFlags & OPT_DEBUG);
    EXPECT_EQ(send("isready"), "readyok\n");
    send("debug ON");
    EXPECT_TRUE(options.optionFlags & OPT_DEBUG);
    send("debug nonsense");
    EXPECT_FALSE(options.optionFlags & OPT_DEBUG);
}

TEST_F(UciHandler, StopEndsAnalysisWithTheSavedLimits) {
    analyzing = pondering = searching = 1;
    game.engineSide = WHITE;
    timeControl.savedMoveTime = 250;
    timeControl.savedMaxDepth = 56;
    send("stop");
    EXPECT_EQ(analyzing, 0);
    EXPECT_EQ(pondering, 0);
    EXPECT_EQ(timeControl.moveTime, 250u);
    EXPECT_EQ(timeControl.maxDepth, 56);
    EXPECT_EQ(game.engineSide, NO_SIDE);
    EXPECT_EQ(searchSignal, SIG_ABORT);
    send("ponderhit");
    EXPECT_EQ(searchSignal, SIG_PONDER_HIT);
}

TEST_F(UciHandler, PositionListsItsMovesForTheMainLoop) {
    send("position startpos moves e2e4 e7e5 g1f3");
    EXPECT_EQ(game.pendingCommand, CMD_SETUP);
    EXPECT_EQ(searchSignal, SIG_ABORT);
    EXPECT_STREQ(game.setupText, "M ");
    EXPECT_STREQ(game.moveText[0], "e2e4");
    EXPECT_STREQ(game.moveText[2], "g1f3");
    EXPECT_STREQ(game.moveText[3], "");
    send("position fen 8/8/8/8/8/8/k7/4K3 w - - 0 1");
    EXPECT_STREQ(game.setupText, "8/8/8/8/8/8/k7/4K3 w - - 0 1");
    send("position fen 8/8/8/8/8/8/k7/4K3 w - - 0 1 moves e1e2 a2a1");
    EXPECT_STREQ(game.setupText, "M 8/8/8/8/8/8/k7/4K3 w - - 0 1 ");
    EXPECT_STREQ(game.moveText[1], "a2a1");
    EXPECT_STREQ(game.moveText[2], "");
}

TEST_F(UciHandler, MoveTokenOfAnotherLengthEndsTheList) {
    send("position startpos moves e2e4 e7e5q1 g1f3");
    EXPECT_STREQ(game.moveText[0], "e2e4");
    EXPECT_STREQ(game.moveText[1], "");
    send("position startpos moves e2e4 e7e g1f3");
    EXPECT_STREQ(game.moveText[1], "");
    send("position startpos moves e7e8q e2e4");
    EXPECT_STREQ(game.moveText[0], "e7e8q");
    EXPECT_STREQ(game.moveText[1], "e2e4");
}

TEST_F(UciHandler, PositionWithoutItsStartWordIsIgnored) {
    std::snprintf(game.setupText, sizeof game.setupText, "before");
    send("position");
    EXPECT_EQ(game.pendingCommand, 0u);
    EXPECT_STREQ(game.setupText, "before");
    EXPECT_EQ(searchSignal, SIG_NONE);
}

TEST_F(UciHandler, OverlongFenIsRefusedWhole) {
    std::string line = "position fen " + std::string(300, '8') + " w - - moves e2e4";
    send(line.c_str());
    EXPECT_EQ(game.pendingCommand, 0u);
    EXPECT_STREQ(game.setupText, "");
}

TEST_F(UciHandler, MoveListIsCutAtTheRecordsCapacity) {
    std::string line = "position startpos moves";
    for (int i = 0; i < 800; i++) line += i % 2 ? " g8f6" : " g1f3";
    ASSERT_LT(line.size(), size_t(4096));
    send(line.c_str());
    EXPECT_STREQ(game.moveText[MAX_RECORDED_PLY - 1], "g1f3");
    EXPECT_STREQ(game.moveText[MAX_RECORDED_PLY], "");
}

TEST_F(UciHandler, CoordinatePromotionNeedsItsLetter) {
    setFen("k2r4/4P3/8/8/8/8/8/4K3 w - -");
    Move move = 0;
    ASSERT_TRUE(parseCoordMove("e7e8q", &move));
    EXPECT_EQ(moveFrom(move), sq("e7"));
    EXPECT_EQ(moveTo(move), sq("e8"));
    EXPECT_EQ(movePromotion(move), QUEEN);
    EXPECT_EQ(move & 0xFF000000u, MF_PAWN | MF_PROMO);
    ASSERT_TRUE(parseCoordMove("e7e8N", &move));
    EXPECT_EQ(movePromotion(move), KNIGHT);
    EXPECT_FALSE(parseCoordMove("e7e8", &move));
    EXPECT_FALSE(parseCoordMove("e7e8x", &move));
    EXPECT_FALSE(parseCoordMove("e7d8", &move));  // a capture needs its letter too
    ASSERT_TRUE(parseCoordMove("e7d8r", &move));
    EXPECT_EQ(move & 0xFF000000u, MF_CAPTURE | MF_PAWN | MF_PROMO);
}

TEST_F(UciHandler, CoordinateCastlingAndEnPassant) {
    setFen("r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6");
    Move move = 0;
    ASSERT_TRUE(parseCoordMove("e1g1", &move));
    EXPECT_EQ(move & 0xFF000000u, MF_CASTLE);
    ASSERT_TRUE(parseCoordMove("e1c1", &move));
    EXPECT_EQ(move & 0xFF000000u, MF_CASTLE);
    ASSERT_TRUE(parseCoordMove("e1f1", &move));
    EXPECT_EQ(move & 0xFF000000u, 0u);
    ASSERT_TRUE(parseCoordMove("e5d6", &move));
    EXPECT_EQ(move & 0xFF000000u, MF_EP | MF_PAWN | MF_CAPTURE);
    ASSERT_TRUE(parseCoordMove("a1a8", &move));
    EXPECT_EQ(move & 0xFF000000u, MF_CAPTURE);
    EXPECT_FALSE(parseCoordMove("e4e5", &move));  // no piece there
    EXPECT_FALSE(parseCoordMove("e1e9", &move));
    EXPECT_FALSE(parseCoordMove("e1", &move));
}

/// Every generated move of the position, written in UCI text and read back,
/// is the same move with the same flags.
static void expectCoordinateRoundTrip(const char *fen) {
    setFen(fen);
    genPositionMoves();
    int checked = 0;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++, checked++) {
        Move parsed = 0;
        const char *text = moveToUci(entry->move);
        EXPECT_TRUE(parseCoordMove(text, &parsed)) << fen << " " << text;
        EXPECT_EQ(parsed, entry->move) << fen << " " << text;
    }
    EXPECT_GT(checked, 0) << fen;
}

TEST_F(UciHandler, CoordinateMovesReadBackAsTheGeneratedMoves) {
    expectCoordinateRoundTrip("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    expectCoordinateRoundTrip("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -");
    expectCoordinateRoundTrip("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -");
    expectCoordinateRoundTrip("r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ -");
    expectCoordinateRoundTrip("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6");
    expectCoordinateRoundTrip("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -");
}
