// The consistency check that the move-tree walks rely on notices each kind
// of corrupted record.
#include <gtest/gtest.h>

#include "board/position.h"
#include "board/tables.h"
#include "tests/support/board_helpers.h"

TEST(Position, ConsistencyCheckNoticesACorruptedRecord) {
    Chess960Game chess960Game;
    struct Case { const char *fen, *moves; void (*corrupt)(); };
    const char *rooks = "1r4kr/8/8/8/8/8/8/1R4KR w HBhb -";
    const Case cases[] = {
        {rooks, "", [] { pos.occupied &= ~bitOfSquare(sq("b1")); }},  // the b1 rook missing from the mask
        {rooks, "", [] { pos.hashKey ^= 1; }},
        {rooks, "", [] { pos.castleMask[sq("b1")] = 15; }},  // moving the b1 rook would keep its right
        {rooks, "", [] { pos.castling[1].mustBeEmpty &= ~bitOfSquare(sq("d1")); }},  // a piece on d1 would not stop it
        {rooks, "b1b2", [] { pos.castleRights |= 2; }},  // the right kept after its rook moved
        {"1r4kr/8/8/8/8/8/8/1R4KR w Hh -", "", [] { pos.castleRights |= 2; }},  // a right never set up
    };
    for (const Case &c : cases) {
        setFen(c.fen);
        ASSERT_TRUE(playMoves(c.moves));
        ASSERT_EQ(positionFault(), nullptr) << c.fen << " " << c.moves;
        c.corrupt();
        EXPECT_NE(positionFault(), nullptr) << c.fen << " " << c.moves;
    }
}
