// The geometry tables, checked against squares counted on a real board.
#include <gtest/gtest.h>

#include "board/tables.h"
#include "board/zobrist.h"
#include "tests/support/board_helpers.h"

TEST(Tables, StepAndKnightTargetsFromTheCorner) {
    const int8_t steps[8] = {64, 8, 64, 1, 64, 9, 64, 64};
    for (int d = 0; d < 8; d++) EXPECT_EQ(stepSquare[0][d], steps[d]) << "direction " << d;
    EXPECT_EQ(knightTargets[0][0], sq("b6"));
    EXPECT_EQ(knightTargets[0][1], sq("c7"));
    EXPECT_EQ(knightTargets[0][2], -1);
}

TEST(Tables, KnightTargetsOfACentralSquareInGenerationOrder) {
    // e4: s-15, s+15, s-6, s+6, s-17, s+17, s-10, s+10
    const char *expected[8] = {"f6", "d2", "g5", "c3", "d6", "f2", "c5", "g3"};
    for (int i = 0; i < 8; i++) EXPECT_EQ(knightTargets[sq("e4")][i], sq(expected[i])) << i;
    EXPECT_EQ(knightTargets[sq("e4")][8], -1);
}

TEST(Tables, LineDirectionBetweenSquares) {
    EXPECT_EQ(lineDirection[sq("e1")][sq("e8")], 0);
    EXPECT_EQ(lineDirection[sq("e1")][sq("g1")], 3);
    EXPECT_EQ(lineDirection[sq("e1")][sq("d2")], 4);
    EXPECT_EQ(lineDirection[sq("e1")][sq("f3")], -1);
    EXPECT_EQ(lineDirection[sq("e1")][sq("e1")], -1);
    EXPECT_EQ(lineDirection[sq("a1")][sq("h8")], 6);
}

TEST(Tables, CastleMaskClearsTheRightsOfKingAndRookSquares) {
    EXPECT_EQ(castleMask[sq("a8")], 7);
    EXPECT_EQ(castleMask[sq("e8")], 3);
    EXPECT_EQ(castleMask[sq("h8")], 11);
    EXPECT_EQ(castleMask[sq("a1")], 13);
    EXPECT_EQ(castleMask[sq("e1")], 12);
    EXPECT_EQ(castleMask[sq("h1")], 14);
    EXPECT_EQ(castleMask[sq("d4")], 15);
}

TEST(Tables, LineMobilityCountsTheEmptySquaresBetweenBlockers) {
    // A rook on d4 between d7 and d1 sees d6, d5, d3, d2.
    EXPECT_EQ(lineMobility[sq("d7")][sq("d1")][1], 4);
    // With nothing above it, d8, d7, d6, d5 and d3, d2 down to the blocker d1.
    EXPECT_EQ(lineMobility[64][sq("d1")][1], 6);
    // With nothing below it, d3, d2, d1 and d6, d5 up to the blocker d7.
    EXPECT_EQ(lineMobility[sq("d7")][64][1], 5);
    // A bishop on c3 between a5 and e1 sees b4 and d2.
    EXPECT_EQ(lineMobility[sq("a5")][sq("e1")][0], 2);
    // A rook alone on its rank sees seven squares.
    EXPECT_EQ(lineMobility[64][64][3], 7);
    EXPECT_EQ(lineMobility[64][64][1], 7);
    EXPECT_EQ(lineMobility[64][64][0], 0);
    EXPECT_EQ(lineMobility[64][64][2], 0);
    // A rook on c4 with blockers a4 and h4 sees b4 and d4..g4.
    EXPECT_EQ(lineMobility[sq("a4")][sq("h4")][3], 5);
}

TEST(Tables, DiagonalSquaresThroughASquare) {
    EXPECT_EQ(diagonalSquares[sq("a8")][0], 7);
    EXPECT_EQ(diagonalSquares[sq("a8")][1], 0);
    EXPECT_EQ(diagonalSquares[sq("d5")][0], 7);  // a8 b7 c6 e4 f3 g2 h1
    EXPECT_EQ(diagonalSquares[sq("d5")][1], 6);  // a2 b3 c4 e6 f7 g8
}

TEST(Tables, KingZoneRelations) {
    // From f3 toward a king on g1: down the f-file the first zone square is f2,
    // two squares from the king.
    uint16_t any = kingZoneAny[sq("g1")][sq("f3")];
    EXPECT_EQ(zoneSquare(any), sq("f2"));
    EXPECT_EQ(zoneDirection(any), 1);
    EXPECT_EQ(zoneDistance(any), 2);
    // Along diagonals only, the first is g2 on the +9 diagonal.
    uint16_t diagonal = kingZoneDiagonal[sq("g1")][sq("f3")];
    EXPECT_EQ(zoneSquare(diagonal), sq("g2"));
    EXPECT_EQ(zoneDirection(diagonal), 5);
    // No line from b8 meets the zone of a king on e1.
    EXPECT_EQ(kingZoneAny[sq("e1")][sq("b8")], 0xFFFF);
    EXPECT_EQ(zoneDistance(kingZoneAny[sq("e1")][sq("b8")]), 15);
}

TEST(Tables, ZobristKeysHoldTheFixedBookConstants) {
    EXPECT_EQ(zobristKeys[0], 0x6C23F4B8C0DD617EULL);
    EXPECT_EQ(zobristKeys[1], 0x2322E329222108AFULL);
    EXPECT_EQ(zobristKeys[2], 0xB9FC2BA9248AFC98ULL);
    EXPECT_EQ(zobristKeys[767], 0xA156FE313515BA7DULL);
    EXPECT_EQ(hashSeed, 0xC139B61D3DA793B1ULL);
    EXPECT_EQ(pieceKey(BLACK, KING, 63), zobristKeys[767]);
}

TEST(Tables, BitScansFollowTheSquareOrder) {
    uint64_t mask = squareBit[sq("c3")] | squareBit[sq("f7")];
    EXPECT_EQ(lowestSquareOf(mask), sq("f7"));
    EXPECT_EQ(highestSquareOf(mask), sq("c3"));
    EXPECT_EQ(lowestSquareOf(0), 64);
    EXPECT_EQ(highestSquareOf(0), 64);
}
