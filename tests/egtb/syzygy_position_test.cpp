// The position in Fathom's form: bitboards with a1 = bit 0, castling rights,
// the en-passant square, the side to move, and the positions Fathom must not
// be shown.
#include <gtest/gtest.h>

#include <initializer_list>

#include "board/position.h"
#include "egtb/syzygy.h"
#include "tests/support/board_helpers.h"

namespace {

/// Bits of named squares, counted from a1 = 0 along the ranks.
uint64_t bits(std::initializer_list<const char *> squares) {
    uint64_t result = 0;
    for (const char *name : squares) result |= uint64_t(1) << ((name[1] - '1') * 8 + (name[0] - 'a'));
    return result;
}

TEST(SyzygyPosition, PiecesSideToMoveCastlingAndEnPassant) {
    struct Case {
        const char *fen;
        uint64_t white, black, kings, queens, rooks, minors, pawns;  // minors: bishops | knights
        bool whiteToMove;
        unsigned castling;  // K = 1, Q = 2, k = 4, q = 8
        unsigned ep;        // a1 = 0 numbering, 0 for none
    };
    const Case cases[] = {
        {"8/8/8/4k3/8/8/8/K6Q w - -", bits({"a1", "h1"}), bits({"e5"}), bits({"a1", "e5"}), bits({"h1"}), 0, 0, 0,
         true, 0, 0},
        // The colours exchanged.
        {"8/8/8/4K3/8/8/8/k6q b - -", bits({"e5"}), bits({"a1", "h1"}), bits({"a1", "e5"}), bits({"h1"}), 0, 0, 0,
         false, 0, 0},
        {"7r/1p6/8/3k4/8/8/6P1/R5K1 b - -", bits({"a1", "g1", "g2"}), bits({"h8", "b7", "d5"}), bits({"g1", "d5"}),
         0, bits({"a1", "h8"}), 0, bits({"g2", "b7"}), false, 0, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R b Kq -", bits({"a1", "e1", "h1"}), bits({"a8", "e8", "h8"}), bits({"e1", "e8"}), 0,
         bits({"a1", "h1", "a8", "h8"}), 0, 0, false, 1 | 8, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Qk -", bits({"a1", "e1", "h1"}), bits({"a8", "e8", "h8"}), bits({"e1", "e8"}), 0,
         bits({"a1", "h1", "a8", "h8"}), 0, 0, true, 2 | 4, 0},
        // Black has just played d7-d5 beside the white pawn on e5: d6.
        {"8/7k/8/3pP3/8/8/8/K7 w - d6", bits({"a1", "e5"}), bits({"h7", "d5"}), bits({"a1", "h7"}), 0, 0, 0,
         bits({"d5", "e5"}), true, 0, 43},
        // White has just played e2-e4 beside the black pawn on d4: e3.
        {"8/4k3/8/8/3pP3/8/8/4K3 b - e3", bits({"e1", "e4"}), bits({"e7", "d4"}), bits({"e1", "e7"}), 0, 0, 0,
         bits({"d4", "e4"}), false, 0, 20},
    };
    for (const Case &c : cases) {
        setFen(c.fen);
        SyzygyPosition p;
        ASSERT_TRUE(syzygyPosition(&p)) << c.fen;
        EXPECT_EQ(p.white, c.white) << c.fen;
        EXPECT_EQ(p.black, c.black) << c.fen;
        EXPECT_EQ(p.kings, c.kings) << c.fen;
        EXPECT_EQ(p.queens, c.queens) << c.fen;
        EXPECT_EQ(p.rooks, c.rooks) << c.fen;
        EXPECT_EQ(p.bishops | p.knights, c.minors) << c.fen;
        EXPECT_EQ(p.pawns, c.pawns) << c.fen;
        EXPECT_EQ(p.whiteToMove, c.whiteToMove) << c.fen;
        EXPECT_EQ(p.castling, c.castling) << c.fen;
        EXPECT_EQ(p.ep, c.ep) << c.fen;
    }
    setFen("8/8/8/8/8/2k5/1NB5/K7 w - -");  // bishop and knight kept apart
    SyzygyPosition p;
    ASSERT_TRUE(syzygyPosition(&p));
    EXPECT_EQ(p.bishops, bits({"c2"}));
    EXPECT_EQ(p.knights, bits({"b2"}));
}

TEST(SyzygyPosition, RefusesTheSideNotToMoveInCheck) {
    // Fathom stops the program on such a position; the sides are swapped
    // directly because no FEN gives it.
    setFen("8/8/8/4k3/8/8/8/K3Q3 b - -");
    SyzygyPosition p;
    EXPECT_TRUE(syzygyPosition(&p));
    std::swap(pos.sideToMove, pos.otherSide);
    EXPECT_FALSE(syzygyPosition(&p));
    std::swap(pos.sideToMove, pos.otherSide);
}

}  // namespace
