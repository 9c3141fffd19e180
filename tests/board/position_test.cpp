// Set-up of the start position and the upkeep of the nearest table.
#include <gtest/gtest.h>

#include "board/position.h"
#include "board/tables.h"
#include "board/zobrist.h"
#include "tests/support/board_helpers.h"

TEST(Position, StartPositionFields) {
    setupPosition();
    uint64_t key = hashSeed;
    const int backRow[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    for (int file = 0; file < 8; file++) {
        key ^= pieceKey(BLACK, backRow[file], file) ^ pieceKey(BLACK, PAWN, 8 + file);
        key ^= pieceKey(WHITE, PAWN, 48 + file) ^ pieceKey(WHITE, backRow[file], 56 + file);
    }
    EXPECT_EQ(pos.hashKey, key);
    EXPECT_EQ(pos.pieceTotal, 32);
    EXPECT_EQ(pos.material[WHITE], 3100);
    EXPECT_EQ(pos.material[BLACK], 3100);
    EXPECT_EQ(pos.kingSquare[WHITE], sq("e1"));
    EXPECT_EQ(pos.kingSquare[BLACK], sq("e8"));
    EXPECT_EQ(pos.checkState[0], 64);
    EXPECT_EQ(pos.castleRights, 15);
    EXPECT_EQ(pos.epSquare, NO_EP_SQUARE);
    EXPECT_EQ(pos.pawnFileRanks[WHITE][5], 1 << 6);  // the e-pawn on row 6
    EXPECT_EQ(pos.pawnFileRanks[BLACK][0], 0);
    EXPECT_EQ(positionFault(), nullptr);
}

TEST(Position, NearestFollowsPiecesAddedAndRemoved) {
    setupPosition();
    // Empty the board by unlinking every piece.
    for (int square = 0; square < 64; square++)
        if (pos.board[square] != EMPTY) {
            unlinkSquare(square, pieceSide(pos.board[square]));
            pos.board[square] = EMPTY;
        }
    EXPECT_EQ(pos.occupied, 0u);

    linkSquare(sq("d4"), WHITE);
    for (int d = 0; d < 8; d++) EXPECT_EQ(pos.nearest[sq("d4")][d], 64) << "direction " << d;
    linkSquare(sq("d7"), BLACK);
    EXPECT_EQ(pos.nearest[sq("d4")][0], sq("d7"));
    EXPECT_EQ(pos.nearest[sq("d7")][1], sq("d4"));
    linkSquare(sq("g7"), BLACK);  // on d4's diagonal and on d7's rank
    EXPECT_EQ(pos.nearest[sq("d4")][6], sq("g7"));
    EXPECT_EQ(pos.nearest[sq("d7")][3], sq("g7"));
    EXPECT_EQ(pos.nearest[sq("g7")][2], sq("d7"));
    unlinkSquare(sq("d4"), WHITE);
    EXPECT_EQ(pos.nearest[sq("d7")][1], 64);
    EXPECT_EQ(pos.nearest[sq("g7")][7], 64);
    EXPECT_EQ(pos.occupied, squareBit[sq("d7")] | squareBit[sq("g7")]);
    EXPECT_EQ(pos.sideOccupied[WHITE], 0u);
}

TEST(Position, ConsistencyCheckNoticesACorruptedField) {
    setFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -");
    ASSERT_EQ(positionFault(), nullptr);
    pos.nearest[sq("e5")][0] = 64;  // e5 sees e6 above it
    EXPECT_NE(positionFault(), nullptr);
    setFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -");
    pos.hashKey ^= 1;
    EXPECT_NE(positionFault(), nullptr);
}
