// The xboard handler: the clock and depth commands, the lag its own clock
// measures, and received moves, castling and ponder hits among them.
#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/notation.h"
#include "board/position.h"
#include "frontend/control.h"
#include "search/state.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/board_helpers.h"

using XboardHandler = FrontendTest;

TEST_F(XboardHandler, ClockCommandsSetTheirLimits) {
    // With moves per period a move may use twice its share of the base time,
    // without, the whole base time. A new period stops the search; a command
    // without its arguments changes nothing. With no engine side, "time" and
    // "otim" set the clocks of the side not to move and to move.
    const std::string unchanged = "togo 3 base 500 inc 7 time 500 depth 12 clocks 700 700 lag 90";
    struct Case { const char *line; std::string state; };
    const Case cases[] = {
        {"level 40 5 0", "togo 40 base 30000 inc 0 time 1500 depth 64 clocks 30000 30000 lag 90 abort"},
        {"level 0 2 12", "togo 0 base 12000 inc 1200 time 12000 depth 64 clocks 12000 12000 lag 90 abort"},
        {"level 0 0:10 0.1", "togo 0 base 1000 inc 10 time 1000 depth 64 clocks 1000 1000 lag 90 abort"},
        {"sd 100", "togo 0 base 0 inc 0 time 0 depth 56 clocks 0 0 lag 90"},
        {"sd 300", "togo 0 base 0 inc 0 time 0 depth 44 clocks 0 0 lag 90"},  // 300 - 256
        {"st 10", "togo 0 base 0 inc 0 time 1000 depth 64 clocks 1000 1000 lag 90"},
        {"otim 1234", "togo 3 base 500 inc 7 time 500 depth 12 clocks 1234 700 lag 90"},
        {"time 5950", "togo 3 base 500 inc 7 time 500 depth 12 clocks 700 5950 lag 90"},
        {"level 20 3", unchanged}, {"sd   ", unchanged}, {"st", unchanged}, {"otim", unchanged}};
    for (const Case &c : cases) {
        presetClocks();
        send(c.line);
        EXPECT_EQ(clockState(), c.state) << c.line;
    }
}

TEST_F(XboardHandler, OwnClockMeasuresTheCommunicationLag) {
    // The engine plays Black and counted 6000 centiseconds before each
    // update. A Move Overhead raised above its default is the least lag; with
    // less time per move than the lag, 20 less than the time per move.
    game.engineSide = BLACK;
    struct Case { const char *lines; int lag; int32_t black, white; };  // white as a new game or the level left it
    const Case cases[] = {{"time 5950", 50, 5950, 0}, {"time 6100", 20, 6100, 0}, {"time 5000", 200, 5000, 0},
                          {"time 5999", 1, 5999, 0}, {"option Move Overhead=1500\ntime 5999", 150, 5999, 0},
                          {"option Move Overhead=1500\ntime 5000", 200, 5000, 0},
                          {"option Move Overhead=1500\ntime 6100", 150, 6100, 0},
                          {"level 40 0:30 0\ntime 2900", 55, 2900, 3000}};  // 3000 / 40 - 20
    for (const Case &c : cases) {
        options.moveOverheadMs = DEFAULT_MOVE_OVERHEAD_MS;
        timeControl.movesPerControl = 0;
        timeControl.clock[BLACK] = 6000;
        send(c.lines);
        EXPECT_EQ(timeControl.lagAllowance, c.lag) << c.lines;
        EXPECT_EQ(timeControl.clock[BLACK], c.black) << c.lines;
        EXPECT_EQ(timeControl.clock[WHITE], c.white) << c.lines;
    }
}

TEST_F(XboardHandler, ReceivedMovesCastlingAndPonderHits) {
    // Castling comes as O-O (also with zeros or a check sign) or as the king
    // onto its rook, which is castling only while the right is held: once it
    // is gone, a rook on e1 takes on h1. While the engine ponders, the
    // expected reply stands on the board and the opponent's move that
    // matches it, promotion piece and all, is a ponder hit (no squares noted).
    struct Case { const char *fen, *played, *expected, *word, *squares; bool shuffled; };
    const char *standard = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", *shuffled = "rk5r/8/8/8/8/8/8/RK5R b HAha -",
               *rook = "4k3/8/8/8/8/8/8/4K2R w K -", *rookPlayed = "e1g1 e8d8 f1e1 d8c8 g1g2 c8d8",
               *promotion = "8/4P3/8/8/8/8/k7/4K3 w - -";
    const Case cases[] = {{standard, "", nullptr, "O-O", "e1g1", true}, {standard, "", nullptr, "0-0-0", "e1c1", true},
                          {standard, "", nullptr, "O-O+", "e1g1", true}, {standard, "", nullptr, "e1h1", "e1g1", true},
                          {standard, "", nullptr, "e1g1", "e1g1", true}, {shuffled, "", nullptr, "O-O", "b8h8", true},
                          {shuffled, "", nullptr, "b8c8", "b8c8", true}, {standard, "", "e1g1", "O-O", nullptr, false},
                          {rook, rookPlayed, nullptr, "e1h1", "e1h1", false},
                          {rook, rookPlayed, "e1e2", "e1h1", "e1h1", false},
                          {promotion, "", "e7e8q", "e7e8n", "e7e8", false},
                          {promotion, "", "e7e8q", "e7e8", "e7e8", false},
                          {promotion, "", "e7e8q", "e7e8q", nullptr, false},
                          {promotion, "", "e7e8q", "e7e8Q", nullptr, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.played + " " + (c.expected ? c.expected : "-") + " " + c.word);
        chess960 = c.shuffled;
        setFen(c.fen);
        ASSERT_TRUE(playMoves(c.played));
        searching = pondering = c.expected != nullptr;
        if (c.expected) {
            game.expectedReply = findMove(c.expected);
            ASSERT_TRUE(makeMove(game.expectedReply));
        }
        searchSignal = SIG_NONE;
        game.userFrom = game.userTo = -1;
        send(c.word);
        EXPECT_EQ(searchSignal, c.squares ? SIG_ABORT : SIG_PONDER_HIT);
        EXPECT_EQ(game.userFrom, c.squares ? sq(c.squares) : -1);
        EXPECT_EQ(game.userTo, c.squares ? sq(c.squares + 2) : -1);
    }
}
