// The xboard handler's worked examples: the clock and depth commands and
// received moves, checked on the records the handler sets.
#include <gtest/gtest.h>

#include <cstdlib>

#include "board/makemove.h"
#include "board/position.h"
#include "frontend/control.h"
#include "search/state.h"
#include "search/tt.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/board_helpers.h"

using XboardHandler = FrontendTest;

TEST_F(XboardHandler, LevelSetsThePeriodBaseTimeAndIncrement) {
    struct Case { const char *line; int moves; uint32_t base, moveTime; int increment; };
    // With moves per period a move may use twice its share of the base
    // time; without, the whole base time.
    for (Case c : {Case{"level 40 5 0", 40, 30000, 1500, 0}, Case{"level 0 2 12", 0, 12000, 12000, 1200},
                   Case{"level 0 0:10 0.1", 0, 1000, 1000, 10}, Case{"level 40 1:30 0", 40, 9000, 450, 0}}) {
        searchSignal = SIG_NONE;
        send(c.line);
        EXPECT_EQ(timeControl.movesPerControl, c.moves) << c.line;
        EXPECT_EQ(timeControl.baseTime, c.base) << c.line;
        EXPECT_EQ(timeControl.moveTime, c.moveTime) << c.line;
        EXPECT_EQ(timeControl.increment, c.increment) << c.line;
        EXPECT_EQ(timeControl.clock[WHITE], int32_t(c.base)) << c.line;
        EXPECT_EQ(timeControl.clock[BLACK], int32_t(c.base)) << c.line;
        EXPECT_EQ(searchSignal, SIG_ABORT) << c.line;
    }
}

TEST_F(XboardHandler, SearchDepthIsCappedAndKeptInEightBits) {
    send("level 40 5 0");
    searchSignal = SIG_NONE;
    send("sd 100");
    EXPECT_EQ(timeControl.maxDepth, 56);
    EXPECT_EQ(timeControl.moveTime, 0u);
    EXPECT_EQ(timeControl.baseTime, 0u);
    EXPECT_EQ(timeControl.movesPerControl, 0);
    EXPECT_EQ(timeControl.clock[WHITE], 0);
    send("sd 300");  // 300 - 256
    EXPECT_EQ(timeControl.maxDepth, 44);
    EXPECT_EQ(searchSignal, SIG_NONE);  // a setting: the search goes on
}

TEST_F(XboardHandler, SecondsPerMoveGiveAFixedTimeWithoutPeriod) {
    send("level 40 5 3");
    send("sd 7");
    send("st 10");
    EXPECT_EQ(timeControl.moveTime, 1000u);
    EXPECT_EQ(timeControl.movesPerControl, 0);
    EXPECT_EQ(timeControl.baseTime, 0u);
    EXPECT_EQ(timeControl.increment, 0);
    EXPECT_EQ(timeControl.maxDepth, 64);
    EXPECT_EQ(timeControl.clock[BLACK], 1000);
}

TEST_F(XboardHandler, ClockCommandsWithoutTheirArgumentsChangeNothing) {
    send("level 40 5 0");
    for (const char *line : {"level 20 3", "level 20", "level", "sd", "st", "time", "otim", "sd   "}) {
        searchSignal = SIG_NONE;
        send(line);
        EXPECT_EQ(timeControl.movesPerControl, 40) << line;
        EXPECT_EQ(timeControl.maxDepth, 64) << line;
        EXPECT_EQ(timeControl.moveTime, 1500u) << line;
        EXPECT_EQ(timeControl.clock[WHITE], 30000) << line;
        EXPECT_EQ(timeControl.clock[BLACK], 30000) << line;
        EXPECT_EQ(searchSignal, SIG_NONE) << line;
    }
}

TEST_F(XboardHandler, OwnClockMeasuresTheCommunicationLag) {
    game.engineSide = BLACK;
    struct Case { const char *line; int lag; };
    // The engine counted 6000 centiseconds before each update.
    for (Case c : {Case{"time 5950", 50}, Case{"time 6100", 20}, Case{"time 5000", 200}, Case{"time 5999", 1}}) {
        timeControl.clock[BLACK] = 6000;
        send(c.line);
        EXPECT_EQ(timeControl.lagAllowance, c.lag) << c.line;
        EXPECT_EQ(timeControl.clock[BLACK], std::atoi(c.line + 5)) << c.line;
        EXPECT_EQ(timeControl.clock[WHITE], 0) << c.line;  // as a new game left it
    }
}

TEST_F(XboardHandler, RaisedMoveOverheadIsTheLeastLagAllowance) {
    game.engineSide = BLACK;
    send("option Move Overhead=1500");
    struct Case { const char *line; int lag; };
    for (Case c : {Case{"time 5999", 150}, Case{"time 5000", 200}, Case{"time 6100", 150}}) {
        timeControl.clock[BLACK] = 6000;
        send(c.line);
        EXPECT_EQ(timeControl.lagAllowance, c.lag) << c.line;
    }
    options.moveOverheadMs = DEFAULT_MOVE_OVERHEAD_MS;
}

TEST_F(XboardHandler, OptionCommandsSetTheSettingTheyName) {
    send("option MultiPV=3");
    EXPECT_EQ(options.multiPv, 3);
    send("option MultiPV=300");
    EXPECT_EQ(options.multiPv, 1);
    send("option CanResign=1");
    send("option Move Overhead=700");
    EXPECT_EQ(options.optionFlags & OPT_RESIGN, OPT_RESIGN);
    EXPECT_EQ(options.moveOverheadMs, 700);
    send("option CanResign=0");
    EXPECT_EQ(options.optionFlags & OPT_RESIGN, 0);
    EXPECT_EQ(send("option PolyglotBook=/no such/book.bin"),
              "Polyglot book /no such/book.bin not used: it cannot be opened\n");
    ttBucket()[0].data = 1;
    send("option Clear Hash");
    EXPECT_EQ(ttBucket()[0].data, 0u);
    options.moveOverheadMs = DEFAULT_MOVE_OVERHEAD_MS;
    send("option PolyglotBook=");
}

TEST_F(XboardHandler, MemoryHoldsEveryHashTable) {
    // 48 MB hold 2^20 buckets of 48 bytes, but not with the quiescence table
    // (64 KB) and the pawn hash (128 KB): then 2^19.
    send("memory 48");
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 524288u);
    send("memory 49");
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 1048576u);
    options.threads = 9;  // 9 pawn hashes of 128 KB leave less than 48 MB
    send("memory 49");
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 524288u);
    options.threads = 1;
}

TEST_F(XboardHandler, PromotionPonderHitNeedsTheSamePiece) {
    setFen("8/4P3/8/8/8/8/k7/4K3 w - -");
    searching = pondering = 1;
    game.expectedReply = findMove("e7e8q");
    ASSERT_NE(game.expectedReply, 0u);
    struct Case { const char *word; int signal; };
    for (Case c : {Case{"e7e8n", SIG_ABORT}, Case{"e7e8", SIG_ABORT}, Case{"e7e8q", SIG_PONDER_HIT},
                   Case{"e7e8Q", SIG_PONDER_HIT}}) {
        searchSignal = SIG_NONE;
        game.userFrom = -1;
        send(c.word);
        EXPECT_EQ(searchSignal, c.signal) << c.word;
        EXPECT_EQ(game.userFrom, c.signal == SIG_ABORT ? sq("e7") : -1) << c.word;
    }
}

TEST_F(XboardHandler, CastlingIsReceivedAsOOOrAsTheKingOntoItsRook) {
    struct Case { const char *fen, *word, *from, *to; };
    const char *standard = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", *shuffled = "rk5r/8/8/8/8/8/8/RK5R b HAha -";
    for (Case c : {Case{standard, "O-O", "e1", "g1"}, Case{standard, "O-O-O", "e1", "c1"},
                   Case{standard, "0-0-0", "e1", "c1"}, Case{standard, "O-O+", "e1", "g1"},
                   Case{standard, "e1h1", "e1", "g1"}, Case{standard, "e1g1", "e1", "g1"},
                   Case{standard, "e1f1", "e1", "f1"},
                   // The generators write Chess960 castling as the king onto its rook.
                   Case{shuffled, "O-O-O", "b8", "a8"}, Case{shuffled, "O-O", "b8", "h8"},
                   Case{shuffled, "b8a8", "b8", "a8"}, Case{shuffled, "b8c8", "b8", "c8"}}) {
        Chess960Game chess960Game;
        setFen(c.fen);
        game.userFrom = game.userTo = -1;
        send(c.word);
        EXPECT_EQ(game.userFrom, sq(c.from)) << c.fen << " " << c.word;
        EXPECT_EQ(game.userTo, sq(c.to)) << c.fen << " " << c.word;
    }
    // While the engine ponders, the opponent's castling is read for the side
    // that is not to move: here the expected reply O-O is a ponder hit.
    setFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    game.expectedReply = findMove("e1g1");
    ASSERT_TRUE(makeMove(game.expectedReply));
    searching = pondering = 1;
    send("O-O");
    EXPECT_EQ(searchSignal, SIG_PONDER_HIT);
}

TEST_F(XboardHandler, TheCastlingRookSquareIsAPlainMoveOnceTheRightIsGone) {
    // White castled short; later a rook on e1 takes on h1: the squares the
    // castling right once named now name a rook move.
    setFen("4k3/8/8/8/8/8/8/4K2R w K -");
    for (const char *move : {"e1g1", "e8d8", "f1e1", "d8c8", "g1g2", "c8d8"}) ASSERT_TRUE(makeMove(findMove(move))) << move;
    game.userFrom = game.userTo = -1;
    send("e1h1");
    EXPECT_EQ(game.userFrom, sq("e1"));
    EXPECT_EQ(game.userTo, sq("h1"));
    // The same while the engine ponders on an expected reply of its own.
    game.expectedReply = findMove("e1e2");
    ASSERT_TRUE(makeMove(game.expectedReply));
    searching = pondering = 1;
    searchSignal = SIG_NONE;
    game.userFrom = game.userTo = -1;
    send("e1h1");
    EXPECT_EQ(searchSignal, SIG_ABORT);
    EXPECT_EQ(game.userTo, sq("h1"));
}


TEST_F(XboardHandler, CoresSetTheSearchThreads) {
    struct Case { const char *line; int threads; };
    const Case cases[] = {{"cores 2", 2}, {"cores 100", 64}, {"cores", 9}};
    for (const Case &c : cases) {
        options.threads = 9;
        send(c.line);
        EXPECT_EQ(options.threads, c.threads) << c.line;
    }
    options.threads = 1;
}
