// The consistency check that the random games rely on.
#include <gtest/gtest.h>

#include "board/position.h"
#include "board/tables.h"
#include "tests/support/board_helpers.h"

TEST(Position, ConsistencyCheckNoticesACorruptedField) {
    const char *fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
    setFen(fen);
    ASSERT_EQ(positionFault(), nullptr);
    pos.nearest[sq("e5")][0] = 64;  // e5 sees e6 above it
    EXPECT_NE(positionFault(), nullptr);
    setFen(fen);
    pos.hashKey ^= 1;
    EXPECT_NE(positionFault(), nullptr);
}

TEST(Position, ConsistencyCheckNoticesCastlingRecordsThatDisagreeWithTheBoard) {
    Chess960Game chess960Game;
    const char *fen = "1r4kr/8/8/8/8/8/8/1R4KR w HBhb -";
    setFen(fen);
    ASSERT_EQ(positionFault(), nullptr);
    pos.castleMask[sq("b1")] = 15;  // moving the b1 rook would keep its right
    EXPECT_NE(positionFault(), nullptr);
    setFen(fen);
    pos.castling[1].mustBeEmpty &= ~bitOfSquare(sq("d1"));  // a piece on d1 would not stop the rook
    EXPECT_NE(positionFault(), nullptr);
    setFen(fen);
    ASSERT_TRUE(playMoves("b1b2"));
    pos.castleRights |= 2;  // the right kept after its rook moved
    EXPECT_NE(positionFault(), nullptr);
    setFen("1r4kr/8/8/8/8/8/8/1R4KR w Hh -");
    pos.castleRights |= 2;  // a right the position was never set up with
    EXPECT_NE(positionFault(), nullptr);
}
