// The UCI handler: the limits each go line sets, and coordinate moves read
// and written.
#include <gtest/gtest.h>

#include <string>

#include "board/notation.h"
#include "board/position.h"
#include "frontend/control.h"
#include "frontend/uci.h"
#include "search/limits.h"
#include "search/state.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/board_helpers.h"

class UciHandler : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        options.optionFlags = OPT_UCI | OPT_POST;
    }

    /// The records the lines leave: the clocks, the deferred command, then
    /// the search's own limits that are set and the root moves.
    std::string goState(const char *lines) {
        send(lines);
        std::string state = clockState() + (game.pendingCommand == CMD_ANALYZE ? " | analyze"
                                            : game.pendingCommand == CMD_GO    ? " | go"
                                                                               : " | -");
        if (searchLimits.depth) state += " depth " + std::to_string(searchLimits.depth);
        if (searchLimits.nodes) state += " nodes " + std::to_string(searchLimits.nodes);
        if (searchLimits.mateMoves) state += " mate " + std::to_string(searchLimits.mateMoves);
        if (searchLimits.untilStop) state += " until stop";
        if (pondering) state += " ponder";
        for (int i = 0; i < searchLimits.rootMoveCount; i++)
            state += std::string(" ") + moveToText(searchLimits.rootMoves[i]);
        return state;
    }
};

TEST_F(UciHandler, GoSetsTheLimitsOfItsWords) {
    // Black to move, from clocks that every limit changes. Times are read in
    // milliseconds and kept in centiseconds; the side to move's clock is the
    // period's time, twice its share per move when moves to go are given.
    setFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -");
    const std::string unchanged = "togo 3 base 500 inc 7 time 500 depth 12 clocks 700 700 lag 90 | go";
    struct Case { const char *lines; std::string state; };
    const Case cases[] = {
        {"go wtime 60000 btime 50000 winc 1000 binc 2000",
         "togo 0 base 5000 inc 200 time 5000 depth 64 clocks 6000 5000 lag 20 | go"},
        {"go btime 60000 winc 1000 movestogo 20",
         "togo 20 base 6000 inc 0 time 600 depth 64 clocks 700 6000 lag 20 | go"},
        {"setoption name Move Overhead value 1000\ngo btime 60000",
         "togo 0 base 6000 inc 0 time 6000 depth 64 clocks 700 6000 lag 100 | go"},
        // Beyond 32 bits of milliseconds; an exhausted clock still limits the time.
        {"go wtime 99999999999999 btime -99999999999999 winc 1000",
         "togo 0 base 1 inc 0 time 1 depth 64 clocks 214748364 -214748364 lag 20 | go"},
        // Whichever ends first; a search of depth 1 at least.
        {"go movetime 3000 nodes 20000 depth 0",
         "togo 0 base 0 inc 0 time 300 depth 1 clocks 300 300 lag 90 | go depth 1 nodes 20000"},
        {"go movetime 5", "togo 0 base 0 inc 0 time 1 depth 64 clocks 1 1 lag 90 | go"},
        {"go depth 300", "togo 0 base 0 inc 0 time 0 depth 44 clocks 0 0 lag 90 | go depth 44"},
        // Nothing but "stop" ends a mate search that nothing else limits.
        {"go mate 3", "togo 0 base 0 inc 0 time 0 depth 64 clocks 0 0 lag 90 | go mate 3 until stop"},
        {"go mate 3 depth 5", "togo 0 base 0 inc 0 time 0 depth 5 clocks 0 0 lag 90 | go depth 5 mate 3"},
        {"go infinite depth 9", "togo 0 base 0 inc 0 time 0 depth 9 clocks 0 0 lag 90 | analyze depth 9"},
        // The legal moves of the list, which ends at the next word; none legal: every move.
        {"go searchmoves e7e5 a2a3 d7d5 h7h4 depth 6 nodes 5000",
         "togo 0 base 0 inc 0 time 0 depth 6 clocks 0 0 lag 90 | go depth 6 nodes 5000 e7e5 d7d5"},
        {"go searchmoves a2a3", unchanged},
        // A word without its number is ignored.
        {"go movetime", unchanged}, {"go depth ponder", unchanged + " ponder"}};
    for (const Case &c : cases) {
        presetClocks();
        pondering = 0;
        options.moveOverheadMs = DEFAULT_MOVE_OVERHEAD_MS;
        EXPECT_EQ(goState(c.lines), c.state) << c.lines;
    }
}

TEST_F(UciHandler, CoordinateMovesOfEveryKindReadAndWritten) {
    // Standard castling is read as the king's step or the king onto its rook
    // and written as the step; with UCI_Chess960 on, written onto the rook.
    // On b1 in Chess960 the king castles onto a1 or h1 and steps to c1.
    struct Case { const char *fen, *text; uint32_t flags; const char *written; bool shuffled = false; };
    const char *promotion = "k2r4/4P3/8/8/8/8/8/4K3 w - -", *castling = "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6",
               *chess960 = "rk5r/8/8/8/8/8/8/RK5R w HAha -";
    const Case cases[] = {
        {promotion, "e7e8q", MF_PAWN | MF_PROMO, "e7e8q"}, {promotion, "e7e8N", MF_PAWN | MF_PROMO, "e7e8n"},
        {promotion, "e7d8r", MF_CAPTURE | MF_PAWN | MF_PROMO, "e7d8r"}, {promotion, "e7e8", 0, nullptr},
        {promotion, "e7e8x", 0, nullptr}, {promotion, "e7d8", 0, nullptr},  // a capture needs its letter too
        {castling, "e1a1", MF_CASTLE, "e1a1", true}, {castling, "e1h1", MF_CASTLE, "e1g1"},
        {castling, "e1c1", MF_CASTLE, "e1c1"}, {castling, "e5d6", MF_EP | MF_PAWN | MF_CAPTURE, "e5d6"},
        {castling, "e4e5", 0, nullptr}, {castling, "e1e9", 0, nullptr}, {castling, "e1", 0, nullptr},  // e4 empty
        {chess960, "b1h1", MF_CASTLE, "b1h1", true}, {chess960, "b1c1", 0, "b1c1", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.text);
        send(std::string("setoption name UCI_Chess960 value ") + (c.shuffled ? "true" : "false"));
        setFen(c.fen);
        Move move = 0;
        ASSERT_EQ(parseCoordMove(c.text, &move), c.written != nullptr);
        if (!c.written) continue;
        EXPECT_EQ(move & 0xFF000000u, c.flags);
        EXPECT_STREQ(moveToUci(move), c.written);
    }
}
