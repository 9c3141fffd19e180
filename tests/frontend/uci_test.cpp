// The UCI handler's worked examples: the clock parameters of go, the
// options, the position commands it refuses, and coordinate moves.
#include <gtest/gtest.h>

#include <string>

#include "board/notation.h"
#include "board/position.h"
#include "eval/pawns.h"
#include "frontend/control.h"
#include "frontend/options.h"
#include "frontend/uci.h"
#include "search/allocation.h"
#include "search/limits.h"
#include "search/state.h"
#include "search/think.h"
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

TEST_F(UciHandler, MoveOverheadIsTheTimeKeptBackPerMove) {
    // 20 moves in 60 s: with the default 200 ms, 20 x 20 cs are kept back,
    // avail 5300, target 5300 / 20 = 265, limit 6 x 265; with 1000 ms,
    // 20 x 100 cs: avail 3700, target 185, limit 1110.
    struct Case { const char *overhead; int16_t lag; int32_t target; uint32_t limit; };
    for (Case c : {Case{"200", 20, 265, 1590}, Case{"1000", 100, 185, 1110}, Case{"9000", 500, 5, 5}}) {
        send((std::string("setoption name Move Overhead value ") + c.overhead).c_str());
        send("go wtime 60000 btime 60000 movestogo 20");
        EXPECT_EQ(timeControl.lagAllowance, c.lag) << c.overhead;
        allocateTime();
        EXPECT_EQ(mainThread.targetTime, c.target) << c.overhead;
        EXPECT_EQ(timeControl.moveTime, c.limit) << c.overhead;
    }
    // Sudden death keeps 3 s back, or the overhead when that is more: 5 s
    // leave avail 5500, target 5500 / 40 + 100 = 237.
    send("go wtime 60000 btime 60000 winc 1000 binc 1000");
    allocateTime();
    EXPECT_EQ(mainThread.targetTime, 237);
    options.moveOverheadMs = DEFAULT_MOVE_OVERHEAD_MS;
}

TEST_F(UciHandler, GoLimitsCombineAndSearchmovesEndsAtTheNextWord) {
    send("go searchmoves a2a3 e2e4 e7e5 h2h5 depth 6 nodes 5000");  // e7e5 and h2h5 are no moves of White
    EXPECT_EQ(searchLimits.depth, 6);
    EXPECT_EQ(timeControl.maxDepth, 6);
    EXPECT_EQ(searchLimits.nodes, 5000u);
    EXPECT_EQ(timeControl.moveTime, 0u);  // no time limit
    ASSERT_EQ(searchLimits.rootMoveCount, 2);
    EXPECT_STREQ(moveToText(searchLimits.rootMoves[0]), "a2a3");
    EXPECT_STREQ(moveToText(searchLimits.rootMoves[1]), "e2e4");
    EXPECT_TRUE(rootMoveSearched(findMove("e2e4")));
    EXPECT_FALSE(rootMoveSearched(findMove("d2d4")));
    send("go searchmoves e7e5");  // none legal: every move
    EXPECT_EQ(searchLimits.rootMoveCount, 0);
    EXPECT_TRUE(rootMoveSearched(findMove("d2d4")));
    // Times beyond 32 bits of milliseconds are brought into them, leaving a
    // clock room for its increments.
    send("go wtime 99999999999999 btime -99999999999999 winc 1000");
    EXPECT_EQ(timeControl.clock[WHITE], INT32_MAX / 10);
    EXPECT_EQ(timeControl.clock[BLACK], INT32_MIN / 10);
    send("go movetime 3000 nodes 20000 depth 0");  // whichever ends first; a search of depth 1 at least
    EXPECT_EQ(timeControl.moveTime, 300u);
    EXPECT_EQ(searchLimits.nodes, 20000u);
    EXPECT_EQ(timeControl.maxDepth, 1);
    send("go infinite depth 9");
    EXPECT_EQ(game.pendingCommand, CMD_ANALYZE);
    EXPECT_EQ(searchLimits.depth, 9);
}

TEST_F(UciHandler, GoMateSearchesWithoutDepthOrTimeLimit) {
    send("go depth 4");
    send("go mate 3");
    EXPECT_EQ(searchLimits.mateMoves, 3);
    EXPECT_TRUE(searchLimits.untilStop);  // nothing but "stop" ends it when no mate is found
    EXPECT_EQ(timeControl.maxDepth, 64);
    EXPECT_EQ(timeControl.moveTime, 0u);
    EXPECT_EQ(searchLimits.depth, 0);
    send("go mate 3 wtime 60000 btime 60000");
    EXPECT_FALSE(searchLimits.untilStop);  // the clock ends it too
    EXPECT_EQ(timeControl.moveTime, 6000u);
    send("go mate 3 depth 5");
    EXPECT_FALSE(searchLimits.untilStop);
    EXPECT_EQ(timeControl.maxDepth, 5);
}

TEST_F(UciHandler, GoMovetimeIsAFixedTimeAtFullDepth) {
    timeControl.maxDepth = 12;
    send("go movetime 2500");
    EXPECT_EQ(timeControl.moveTime, 250u);
    EXPECT_EQ(timeControl.movesPerControl, 0);
    EXPECT_EQ(timeControl.baseTime, 0u);
    EXPECT_EQ(timeControl.maxDepth, 64);
    EXPECT_EQ(timeControl.clock[WHITE], 250);
    EXPECT_EQ(timeControl.clock[BLACK], 250);
    // 5 ms is 0 centiseconds, which would mean no time limit at all.
    send("go movetime 5");
    EXPECT_EQ(timeControl.moveTime, 1u);
}

TEST_F(UciHandler, GoDepthIsCappedAndHasNoTimeLimit) {
    send("go depth 80");
    EXPECT_EQ(timeControl.maxDepth, 56);
    EXPECT_EQ(timeControl.moveTime, 0u);
    EXPECT_EQ(timeControl.baseTime, 0u);
    EXPECT_EQ(timeControl.clock[WHITE], 0);
    send("go depth 300");  // kept in 8 bits: 44
    EXPECT_EQ(timeControl.maxDepth, 44);
}

TEST_F(UciHandler, GoSubCommandWithoutItsNumberKeepsTheLimits) {
    timeControl.clock[WHITE] = timeControl.clock[BLACK] = 700;
    for (const char *line : {"go movetime", "go depth", "go mate", "go nodes", "go depth ponder", "go nodes x"}) {
        send(line);
        EXPECT_EQ(game.pendingCommand, CMD_GO) << line;
        EXPECT_EQ(timeControl.moveTime, 500u) << line;
        EXPECT_EQ(timeControl.maxDepth, 64) << line;
        EXPECT_EQ(timeControl.clock[WHITE], 700) << line;
        EXPECT_EQ(searchLimits.nodes, 0u) << line;
    }
    EXPECT_EQ(pondering, 1);  // "ponder" after a depth without its number still counts
    pondering = 0;
}

TEST_F(UciHandler, HashSizeInMegabytes) {
    send("setoption name Hash value 64");
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 1048576u);  // 48 MB of 48-byte buckets
    send("setoption name hash value 4");
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 65536u);  // the 3 MB table
    send("setoption name Hash value 0");
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 512u);  // the smallest table
}

TEST_F(UciHandler, HashChangesWaitForTheEndOfTheSearch) {
    TTSlot *before = ttTable;
    ttBucket()[0].data = 1;
    searching = 1;  // helper threads could be reading the table
    send("setoption name Hash value 64");
    send("setoption name Clear Hash");
    EXPECT_EQ(ttTable, before);
    EXPECT_EQ(ttBucket()[0].data, 1u);
    searching = 0;
    applyWaitingTableChanges();
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 1048576u);
    ttBucket()[0].data = 1;
    pawnHash[5].key = 7;
    send("setoption name Clear Hash");
    EXPECT_EQ(ttBucket()[0].data, 0u);
    EXPECT_EQ(pawnHash[5].key, 0u);
}

TEST_F(UciHandler, OptionNamesWithBlanksAndValuesWithBlanks) {
    send("setoption name Move  Overhead value 1500");
    EXPECT_EQ(options.moveOverheadMs, 1500);
    send("setoption name move overhead value 9000");
    EXPECT_EQ(options.moveOverheadMs, 5000);
    send("setoption name Move Overhead value -5");
    EXPECT_EQ(options.moveOverheadMs, 0);
    EXPECT_EQ(send("setoption name NalimovPath value /no such/tables  "),
              "info string Nalimov path /no such/tables does not exist\n");
    EXPECT_STREQ(options.egtbPath, "/no such/tables");
    EXPECT_EQ(send("setoption name NalimovPath value tests/data/polyglot_games.pgn;tests"),
              "info string Nalimov path tests/data/polyglot_games.pgn is not a folder\n");
    EXPECT_EQ(send("setoption name NalimovPath value <empty>"), "");
    EXPECT_STREQ(options.egtbPath, "");
    options.moveOverheadMs = DEFAULT_MOVE_OVERHEAD_MS;
}

TEST_F(UciHandler, MultiPvOutsideOneToTwoHundredFiftySixGivesOne) {
    struct Case { const char *line; int lines; };
    for (Case c : {Case{"setoption name MultiPV value 256", 256}, Case{"setoption name MultiPV value 3", 3},
                   Case{"setoption name multipv value 0", 1}, Case{"setoption name MultiPV value 257", 1}}) {
        send(c.line);
        EXPECT_EQ(options.multiPv, c.lines) << c.line;
    }
}

TEST_F(UciHandler, SetoptionReadsItsValueWordAndIgnoresAMissingOne) {
    struct Case { const char *line; uint16_t flag; bool on; };
    // Check options are true for a word beginning with t; the opponent is a
    // computer when the third value word says so. Pondering starts on, and
    // an option without its value changes nothing (nor do Hash and MultiPV).
    options.optionFlags |= OPT_PONDER;
    for (Case c : {Case{"setoption name Ponder value", OPT_PONDER, true}, Case{"setoption name Ponder", OPT_PONDER, true},
                   Case{"setoption name", OPT_PONDER, true}, Case{"setoption", OPT_PONDER, true},
                   Case{"setoption name Hash value", OPT_PONDER, true}, Case{"setoption name MultiPV", OPT_PONDER, true},
                   Case{"setoption name Ponder value false", OPT_PONDER, false},
                   Case{"setoption name CanResign value TRUE", OPT_RESIGN, true},
                   Case{"setoption name EnableBookLearning value yes", OPT_LEARN, false},
                   Case{"setoption name UCI_Opponent value GM 2800 computer Name", OPT_COMPUTER, true},
                   Case{"setoption name UCI_Opponent value none none human Someone", OPT_COMPUTER, false},
                   Case{"setoption name UCI_Opponent value IM 2400 Computer", OPT_COMPUTER, true},
                   Case{"setoption name UCI_Opponent value IM 2400", OPT_COMPUTER, false}}) {
        send(c.line);
        EXPECT_EQ((options.optionFlags & c.flag) != 0, c.on) << c.line;
        EXPECT_EQ(options.ttShift, 16) << c.line;
        EXPECT_EQ(options.multiPv, 1) << c.line;
    }
}

TEST_F(UciHandler, PositionCommandsThatAreRefusedWhole) {
    std::snprintf(game.setupText, sizeof game.setupText, "before");
    send("position");
    EXPECT_EQ(game.pendingCommand, 0u);
    EXPECT_STREQ(game.setupText, "before");
    EXPECT_EQ(searchSignal, SIG_NONE);
    std::string overlong = "position fen " + std::string(300, '8') + " w - - moves e2e4";
    send(overlong.c_str());
    EXPECT_EQ(game.pendingCommand, 0u);
    EXPECT_STREQ(game.setupText, "before");
}

TEST_F(UciHandler, CoordinateMovesOfEveryKind) {
    struct Case { const char *fen, *text; bool parsed; uint32_t flags; };
    const char *promotion = "k2r4/4P3/8/8/8/8/8/4K3 w - -", *castling = "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6";
    for (Case c : {Case{promotion, "e7e8q", true, MF_PAWN | MF_PROMO},
                   Case{promotion, "e7e8N", true, MF_PAWN | MF_PROMO},
                   Case{promotion, "e7d8r", true, MF_CAPTURE | MF_PAWN | MF_PROMO},
                   Case{promotion, "e7e8", false, 0}, Case{promotion, "e7e8x", false, 0},
                   Case{promotion, "e7d8", false, 0},  // a capture needs its letter too
                   Case{castling, "e1g1", true, MF_CASTLE}, Case{castling, "e1c1", true, MF_CASTLE},
                   Case{castling, "e1f1", true, 0}, Case{castling, "e5d6", true, MF_EP | MF_PAWN | MF_CAPTURE},
                   Case{castling, "a1a8", true, MF_CAPTURE}, Case{castling, "e4e5", false, 0},  // no piece there
                   Case{castling, "e1e9", false, 0}, Case{castling, "e1", false, 0}}) {
        setFen(c.fen);
        Move move = 0;
        ASSERT_EQ(parseCoordMove(c.text, &move), c.parsed) << c.text;
        if (!c.parsed) continue;
        EXPECT_EQ(move & 0xFF000000u, c.flags) << c.text;
        EXPECT_STRCASEEQ(moveToText(move), c.text);
    }
}

TEST_F(UciHandler, CastlingIsReadInBothFormsAndWrittenAsTheOptionSays) {
    // Standard chess: e1g1 and e1h1 are the one castling move, written e1g1;
    // with UCI_Chess960 on it is written as the king onto its rook.
    setFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    Move kingStep = 0, ontoRook = 0;
    ASSERT_TRUE(parseCoordMove("e1g1", &kingStep));
    ASSERT_TRUE(parseCoordMove("e1h1", &ontoRook));
    EXPECT_EQ(kingStep, ontoRook);
    EXPECT_EQ(kingStep, Move(sq("e1") | sq("g1") << 6 | MF_CASTLE));
    EXPECT_STREQ(moveToUci(kingStep), "e1g1");
    ASSERT_TRUE(parseCoordMove("e1a1", &ontoRook));
    EXPECT_STREQ(moveToUci(ontoRook), "e1c1");
    send("setoption name UCI_Chess960 value true");
    EXPECT_STREQ(moveToUci(kingStep), "e1h1");
    EXPECT_STREQ(moveToUci(ontoRook), "e1a1");
    // Chess960: the king on b1 castles long onto a1 and short onto h1, and
    // still steps to c1 as an ordinary king move.
    setFen("rk5r/8/8/8/8/8/8/RK5R w HAha -");
    struct Case { const char *text; bool castling; };
    for (Case c : {Case{"b1a1", true}, Case{"b1h1", true}, Case{"b1c1", false}, Case{"b1a2", false}}) {
        Move move = 0;
        ASSERT_TRUE(parseCoordMove(c.text, &move)) << c.text;
        EXPECT_EQ((move & MF_CASTLE) != 0, c.castling) << c.text;
        EXPECT_EQ(move & MF_CAPTURE, 0u) << c.text;
        EXPECT_STREQ(moveToUci(move), c.text);
    }
    send("setoption name UCI_Chess960 value false");
    EXPECT_FALSE(chess960);
}
