// The consistency check that the random games rely on, and the lines read
// from the occupancy masks.
#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/position.h"
#include "board/tables.h"
#include "tests/support/board_helpers.h"

TEST(Position, ConsistencyCheckNoticesACorruptedField) {
    const char *fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
    setFen(fen);
    ASSERT_EQ(positionFault(), nullptr);
    pos.occupied &= ~bitOfSquare(sq("e5"));  // the knight on e5 missing from the mask
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

TEST(Position, NearestFindsTheFirstPieceOnEachLineFromAnySquare) {
    setFen("7k/4p3/6b1/8/1R5q/8/5PN1/4K3 w - -");
    const int fromEmptyE4[8] = {sq("e7"), sq("e1"), sq("b4"), sq("h4"), 64, sq("g2"), sq("g6"), 64};
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d) EXPECT_EQ(nearest(sq("e4"), d), fromEmptyE4[d]) << int(d);
    EXPECT_EQ(nearest(sq("b4"), EAST), sq("h4"));  // through the empty e4
    EXPECT_EQ(nearest(sq("b4"), WEST), 64);
    EXPECT_EQ(nearest(sq("f2"), NORTH_WEST), 64);
    EXPECT_EQ(nearest(sq("f2"), NORTH_EAST), sq("h4"));
    EXPECT_EQ(nearest(sq("h8"), NORTH), 64);
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d) EXPECT_EQ(nearest(64, d), 64) << "off the board " << int(d);

    // The lines follow the pieces as moves are made and taken back.
    ASSERT_TRUE(playMoves("b4d4"));
    EXPECT_EQ(nearest(sq("e4"), WEST), sq("d4"));
    EXPECT_EQ(nearest(sq("b4"), EAST), sq("d4"));
    EXPECT_EQ(nearest(sq("d4"), EAST), sq("h4"));
    unmakeMove();
    EXPECT_EQ(nearest(sq("e4"), WEST), sq("b4"));
    EXPECT_EQ(nearest(sq("d4"), EAST), sq("h4"));
    EXPECT_EQ(nearest(sq("d4"), WEST), sq("b4"));
}
