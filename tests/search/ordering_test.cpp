// Move ordering: the hash-move and killer tests, with Chess960 castling.
#include <gtest/gtest.h>

#include "board/position.h"
#include "search/ordering.h"
#include "search/state.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

using OrderingTest = SearchTest;

TEST_F(OrderingTest, HashMoveSanity) {
    setPosition("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6");
    EXPECT_TRUE(hashMoveIsSane(findMove("e5f6") & 0xFFF));  // en passant
    EXPECT_FALSE(hashMoveIsSane(Move(28 | 19 << 6)));       // e5xd6 onto an empty square
    EXPECT_FALSE(hashMoveIsSane(Move(12 | 20 << 6)));       // a black pawn
    EXPECT_FALSE(hashMoveIsSane(Move(62 | 51 << 6)));       // onto the own pawn on d2
    pos.epSquare = NO_EP_SQUARE;
    EXPECT_FALSE(hashMoveIsSane(Move(28 | 21 << 6)));  // no en passant any more
    setPosition("r3k2r/8/8/8/8/8/8/R3K2R w Kq -");
    EXPECT_TRUE(hashMoveIsSane(Move(60 | 62 << 6)));
    EXPECT_FALSE(hashMoveIsSane(Move(60 | 58 << 6)));  // White may not castle long
}

TEST_F(OrderingTest, ChessNineSixtyCastlingFromTheTableAndTheKillers) {
    Chess960Game chess960Game;
    // The king on b1 castles long onto the rook on a1 and short onto h1: from
    // the table without flags, both become the generator's castling moves.
    setPosition("rk5r/8/8/8/8/8/8/RK5R w HAha -");
    Move longCastling = findMove("b1a1"), shortCastling = findMove("b1h1");
    ASSERT_TRUE(longCastling & MF_CASTLE);
    ASSERT_TRUE(shortCastling & MF_CASTLE);
    for (Move castling : {longCastling, shortCastling}) {
        EXPECT_TRUE(hashMoveIsSane(castling & 0xFFF)) << text(castling);
        EXPECT_EQ(completeMove(castling & 0xFFF), castling) << text(castling);
        EXPECT_TRUE(killerIsValid(castling)) << text(castling);
    }
    EXPECT_FALSE(hashMoveIsSane(Move(sq("a1") | sq("b1") << 6)));  // the rook onto its own king
    // A piece on f1, on the king's way to g1, shuts the short castling only.
    setPosition("rk5r/8/8/8/8/8/8/RK3N1R w HAha -");
    EXPECT_TRUE(killerIsValid(longCastling));
    EXPECT_FALSE(killerIsValid(shortCastling));
    // Without the right, a king onto its own rook is no move at all.
    setPosition("rk5r/8/8/8/8/8/8/RK5R w Hha -");
    EXPECT_FALSE(hashMoveIsSane(longCastling & 0xFFF));
    EXPECT_FALSE(killerIsValid(longCastling));
}

}  // namespace
