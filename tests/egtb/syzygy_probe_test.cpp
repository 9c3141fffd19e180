// Probing the Syzygy tables. The expected win/draw/loss and
// distance-to-zero values were worked out with the "fathom" command on the
// same tables (tests/data/syzygy holds the 3-man tables, KPvKP and the
// win/draw/loss file of KBNvK).
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "egtb/syzygy.h"
#include "tests/support/board_helpers.h"

namespace {

class SyzygyProbe : public ::testing::Test {
protected:
    void SetUp() override {
        std::snprintf(syzygy.path, sizeof syzygy.path, "%s", "tests/data/syzygy");
        syzygyLoad();
        ASSERT_EQ(syzygy.largest, 4);
    }
};

constexpr int NOT_FOUND = -1;

TEST_F(SyzygyProbe, ProbesAgreeWithFathomAndTheSearchScoresWinsInTheBand) {
    // Values from the fathom command, side to move's point of view. Wrong
    // bitboards, side to move or en-passant square in the position handed to
    // Fathom show here; castling rights keep a position out of the tables.
    struct Case { const char *fen; int fiftyCount, wdl, dtz; };  // NOT_FOUND: no table answers
    const Case cases[] = {
        {"8/8/8/4k3/8/8/8/K6Q w - -", 0, SYZYGY_WIN, 17},
        {"8/8/8/4k3/8/8/8/K6Q w - -", 82, SYZYGY_WIN, 17},  // late, but still in time
        {"8/8/8/4k3/8/8/8/K6Q w - -", 84, SYZYGY_CURSED_WIN, 17},
        {"8/8/8/4K3/8/8/8/k6q b - -", 0, SYZYGY_WIN, 17},  // the colours exchanged
        {"8/8/8/4K3/8/8/8/k6q w - -", 0, SYZYGY_LOSS, 18},
        {"8/8/8/4k3/8/8/8/K6R w - -", 0, SYZYGY_WIN, 29},
        {"4k3/8/4K3/4P3/8/8/8/8 w - -", 0, SYZYGY_WIN, 3},
        {"8/8/8/8/8/1k6/1p6/1K6 b - -", 0, SYZYGY_WIN, 5},
        // Only the en-passant capture wins: exd6, and for Black dxe3.
        {"8/7k/8/3pP3/8/8/8/K7 w - d6", 0, SYZYGY_WIN, 1},
        {"8/7k/8/3pP3/8/8/8/K7 w - -", 0, SYZYGY_DRAW, 0},
        {"7k/8/8/8/3pP3/8/8/K7 b - e3", 0, SYZYGY_WIN, 1},
        {"7k/8/8/8/3pP3/8/8/K7 b - -", 0, SYZYGY_DRAW, 0},
        // Stalemate, and checkmate: the mated side has lost.
        {"8/8/8/8/8/1k6/1p6/1K6 w - -", 0, SYZYGY_DRAW, 0},
        {"k7/1Q6/1K6/8/8/8/8/8 b - -", 0, SYZYGY_LOSS, 0},
        // KBNvK has only its win/draw/loss file here.
        {"8/8/1k6/8/8/8/2N5/K1B5 w - -", 0, SYZYGY_WIN, NOT_FOUND},
        // Five men; castling rights; a 4-man table that is not here.
        {"8/8/8/4k3/8/8/3PP3/K6Q w - -", 0, NOT_FOUND, NOT_FOUND},
        {"r3k3/8/8/8/8/8/8/4K3 b q -", 0, NOT_FOUND, NOT_FOUND},
        {"8/8/8/4k3/8/8/8/K5QR w - -", 0, NOT_FOUND, NOT_FOUND},
    };
    syzygyHits = 0;
    uint64_t hits = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fen);
        setFen(c.fen);
        pos.fiftyCount = uint8_t(c.fiftyCount);
        unsigned wdl = 99, dtz = 99;
        ASSERT_EQ(syzygyProbeDtz(&wdl, &dtz), c.dtz != NOT_FOUND);
        if (c.dtz != NOT_FOUND) { EXPECT_EQ(std::pair(wdl, dtz), std::pair(unsigned(c.wdl), unsigned(c.dtz))); }
        // The search probe nine plies deep: a win scores 8800 less the ply,
        // a loss the negative; only successful probes count as hits.
        pos.ply = 9;
        int16_t score = 12345;
        bool found = syzygyProbeWdl(&score);
        pos.ply = 0;
        ASSERT_EQ(found, c.wdl != NOT_FOUND);
        hits += found;
        int expected = c.wdl == SYZYGY_WIN ? 8791 : c.wdl == SYZYGY_LOSS ? -8791 : 0;
        if (c.fiftyCount == 0 && found) { EXPECT_EQ(score, expected); }
        if (found) continue;
        syzygyRankRootMoves();
        EXPECT_FALSE(syzygy.rootFilter);
    }
    EXPECT_EQ(syzygyHits, hits);
}

TEST_F(SyzygyProbe, RootKeepsTheMovesOfTheBestRank) {
    struct Case { const char *fen; int fiftyCount; std::set<std::string> kept; };  // fathom's best moves
    const Case cases[] = {
        // Late in the fifty moves only the moves that still mate in time.
        {"8/8/8/4k3/8/8/8/K6Q w - -", 82, {"a1b2", "h1f1", "h1f3", "h1h5", "h1c6", "h1h6"}},
        // Promotions to queen or rook win; to knight or bishop they draw.
        {"8/P7/8/8/8/8/8/k1K5 w - -", 0, {"c1d1", "c1c2", "c1d2", "a7a8Q", "a7a8R"}},
        // Only the en-passant capture wins.
        {"8/7k/8/3pP3/8/8/8/K7 w - d6", 0, {"e5d6"}},
        // Ranked by win/draw/loss alone where the distance table is missing.
        {"8/8/8/8/8/2k5/1NB5/K7 b - -", 0, {"c3c2"}},
    };
    for (const Case &c : cases) {
        setFen(c.fen);
        pos.fiftyCount = uint8_t(c.fiftyCount);
        syzygyRankRootMoves();
        EXPECT_TRUE(syzygy.rootFilter) << c.fen;
        std::set<std::string> kept;
        genPositionMoves();
        for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++)
            if (syzygyRootAllows(entry->move)) kept.insert(moveToText(entry->move));
        EXPECT_EQ(kept, c.kept) << c.fen;
    }
}

}  // namespace
