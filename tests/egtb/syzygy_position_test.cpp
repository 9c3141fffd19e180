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

SyzygyPosition convert(const char *fen) {
    setFen(fen);
    SyzygyPosition converted;
    EXPECT_TRUE(syzygyPosition(&converted)) << fen;
    return converted;
}

TEST(SyzygyPosition, PiecesByTypeAndColour) {
    struct Case {
        const char *fen;
        uint64_t white, black, kings, queens, rooks, bishops, knights, pawns;
    };
    const Case cases[] = {
        {"8/8/8/4k3/8/8/8/K6Q w - -", bits({"a1", "h1"}), bits({"e5"}), bits({"a1", "e5"}), bits({"h1"}), 0, 0, 0,
         0},
        // The same material with the colours exchanged.
        {"8/8/8/4K3/8/8/8/k6q b - -", bits({"e5"}), bits({"a1", "h1"}), bits({"a1", "e5"}), bits({"h1"}), 0, 0, 0,
         0},
        {"8/8/8/8/8/2k5/1NB5/K7 w - -", bits({"a1", "b2", "c2"}), bits({"c3"}), bits({"a1", "c3"}), 0, 0,
         bits({"c2"}), bits({"b2"}), 0},
        {"7r/1p6/8/3k4/8/8/6P1/R5K1 b - -", bits({"a1", "g1", "g2"}), bits({"h8", "b7", "d5"}), bits({"g1", "d5"}),
         0, bits({"a1", "h8"}), 0, 0, bits({"g2", "b7"})},
    };
    for (const Case &c : cases) {
        SyzygyPosition p = convert(c.fen);
        EXPECT_EQ(p.white, c.white) << c.fen;
        EXPECT_EQ(p.black, c.black) << c.fen;
        EXPECT_EQ(p.kings, c.kings) << c.fen;
        EXPECT_EQ(p.queens, c.queens) << c.fen;
        EXPECT_EQ(p.rooks, c.rooks) << c.fen;
        EXPECT_EQ(p.bishops, c.bishops) << c.fen;
        EXPECT_EQ(p.knights, c.knights) << c.fen;
        EXPECT_EQ(p.pawns, c.pawns) << c.fen;
    }
}

TEST(SyzygyPosition, SideToMoveCastlingAndEnPassant) {
    struct Case {
        const char *fen;
        bool whiteToMove;
        unsigned castling;  // K = 1, Q = 2, k = 4, q = 8
        unsigned ep;        // a1 = 0 numbering, 0 for none
    };
    const Case cases[] = {
        {"8/8/8/4k3/8/8/8/K6Q w - -", true, 0, 0},
        {"8/8/8/4k3/8/8/8/K6Q b - -", false, 0, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", true, 15, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R b Kq -", false, 1 | 8, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Qk -", true, 2 | 4, 0},
        // Black has just played d7-d5 beside the white pawn on e5: d6.
        {"8/7k/8/3pP3/8/8/8/K7 w - d6", true, 0, 43},
        // White has just played e2-e4 beside the black pawn on d4: e3.
        {"8/4k3/8/8/3pP3/8/8/4K3 b - e3", false, 0, 20},
    };
    for (const Case &c : cases) {
        SyzygyPosition p = convert(c.fen);
        EXPECT_EQ(p.whiteToMove, c.whiteToMove) << c.fen;
        EXPECT_EQ(p.castling, c.castling) << c.fen;
        EXPECT_EQ(p.ep, c.ep) << c.fen;
    }
}

TEST(SyzygyPosition, EnPassantSquareOnlyBehindAPawnThatDoubleStepped) {
    // Set directly, as no FEN would give them: no pawn in front of the
    // square, and a square on the wrong rank for the side to move.
    struct Case {
        const char *fen;
        const char *ep;
    };
    for (const Case &c : {Case{"8/7k/8/4P3/8/8/8/K7 w - -", "d6"}, Case{"8/4k3/8/8/3pP3/8/8/4K3 w - -", "e3"},
                          Case{"8/4k3/8/8/3pP3/8/8/4K3 b - -", "d6"}}) {
        setFen(c.fen);
        pos.epSquare = int8_t(sq(c.ep));
        SyzygyPosition p;
        ASSERT_TRUE(syzygyPosition(&p));
        EXPECT_EQ(p.ep, 0u) << c.fen << " " << c.ep;
    }
}

TEST(SyzygyPosition, RefusesTheSideNotToMoveInCheck) {
    // Fathom stops the program on such a position; the sides are swapped
    // directly because no FEN gives it.
    setFen("8/8/8/4k3/8/8/8/K3Q3 b - -");
    SyzygyPosition p;
    EXPECT_TRUE(syzygyPosition(&p));
    pos.sideToMove ^= 1;
    pos.otherSide ^= 1;
    EXPECT_FALSE(syzygyPosition(&p));
    pos.sideToMove ^= 1;
    pos.otherSide ^= 1;
}

}  // namespace
