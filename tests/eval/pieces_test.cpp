// The piece pass: mobility, rook and bishop terms, blocked pawns.
#include "eval/pieces.h"

#include "eval_fixture.h"

namespace {

class PiecePass : public EvalTest {
protected:
    int mobility = 0;
    KingThreats threats{};
    int pass() { return evalPieces(mobility, threats); }
};

constexpr int A1 = 56, A2 = 48, A7 = 8, B8 = 1, E1 = 60, H1 = 63, H7 = 15;

TEST_F(PiecePass, BishopMobilityCountsTwice) {
    // Bishop d4 sees c5 b6 (not a7, a pawn) and e3 f2 g1; c3 b2 a1 and
    // e5 f6 g7 h8: 2 x (5 + 7).
    setFen("4k3/p7/8/8/3B4/8/8/4K3 w - -");
    pass();
    EXPECT_EQ(mobility, 24);
}

TEST_F(PiecePass, RookBonuses) {
    struct Case { const char *fen; int square, bonus; };
    for (Case c : {// Two rooks on the open a-file: the front one 15, the one behind it 20 with
                   // fewer than 5 pawns or 25 with more, and 5 for the rook in front.
                   Case{"4k3/8/8/8/8/8/R7/R3K3 w - -", A2, 15}, Case{"4k3/8/8/8/8/8/R7/R3K3 w - -", A1, 20 + 5},
                   Case{"4k3/8/8/8/8/8/R1PPPPP1/R3K3 w - -", A2, 15},
                   Case{"4k3/8/8/8/8/8/R1PPPPP1/R3K3 w - -", A1, 25 + 5},
                   // Hemmed in on its home square, with no move along the rank either.
                   Case{"4k3/7p/8/8/8/8/6PP/6KR w - -", H1, -20 - 15}, Case{"4k3/7p/8/8/8/8/6PP/5K1R w - -", H1, -20},
                   // On the seventh; pinning a knight to the king, but not through a pawn.
                   Case{"6k1/R7/8/8/8/8/8/4K3 w - -", A7, 15 + 15}, Case{"4k3/8/8/8/8/8/4n3/4RK2 w - -", E1, 15 + 20},
                   Case{"4k3/8/8/8/8/8/4p3/4RK2 w - -", E1, 10}}) {
        setFen(c.fen);
        EXPECT_EQ(rookBonus(c.square, WHITE), c.bonus) << c.fen;
    }
}

TEST_F(PiecePass, TrappedBishop) {
    struct Case { const char *fen; int square, side, penalty; };
    for (Case c : {Case{"4k3/B1p5/1p6/8/8/8/8/4K3 w - -", A7, WHITE, 128},  // a7 with two pawns
                   Case{"4k3/B7/1p6/8/8/8/8/4K3 w - -", A7, WHITE, 64},      // and with one
                   Case{"4k3/5p1B/6p1/8/8/8/8/4K3 w - -", H7, WHITE, 128},
                   Case{"1B2k3/2p5/8/8/8/8/8/4K3 w - -", B8, WHITE, 64},
                   Case{"1B2k3/2p5/1p6/8/8/8/8/4K3 w - -", B8, WHITE, 128},
                   Case{"4k3/8/8/8/8/1P6/b1P5/4K3 w - -", A2, BLACK, 128},  // against White pawns b3 and c2
                   Case{"4k3/8/8/8/1B6/2p5/8/4K3 w - -", 33, WHITE, 0}}) {   // b4 is no trap square
        setFen(c.fen);
        EXPECT_EQ(trappedBishopPenalty(c.square, c.side), c.penalty) << c.fen;
    }
}

TEST_F(PiecePass, BlockedPawnAndKnightTableValue) {
    // e3 blocked by the knight: -4; the black knight on e4 stands on its e5
    // value 12, and is three squares from the White king: one attacker.
    setFen("4k3/8/8/8/4n3/4P3/8/4K3 w - -");
    EXPECT_EQ(pass(), -4 - 12);
    EXPECT_EQ(threats.attackerCount[BLACK], 1);
    EXPECT_EQ(threats.attackerCount[WHITE], 0);
}

TEST_F(PiecePass, BlockedPawnsOfEitherSide) {
    struct Case { const char *fen; int score; };
    for (Case c : {Case{"8/8/8/8/4k3/4P3/8/K7 w - -", -4},  // White e3 under the black king
                   Case{"8/8/8/4p3/4K3/8/8/k7 w - -", 4},   // Black e5 above the white king
                   Case{"8/8/8/3p4/3P4/8/8/K1k5 w - -", 0},  // d4 and d5 block each other
                   Case{"8/p7/8/8/8/8/7P/K1k5 w - -", 0}}) {   // a7 and h2 are free
        setFen(c.fen);
        EXPECT_EQ(pass(), c.score) << c.fen;
    }
}

TEST_F(PiecePass, OfTwoQueensTheLastInSquareOrderSetsTheGuard) {
    // The a8 queen reaches the black king's zone at d8 (distance 4 from e8)
    // and has no line to the white king's zone (guard 4); the h1 queen has no
    // line to the black king (15) and sees its own king across f1 and g1 (0).
    setFen("Q3k3/8/8/8/8/8/8/4K2Q b - -");
    pass();
    EXPECT_EQ(threats.queenGuard[WHITE].reach, 15);
    EXPECT_EQ(threats.queenGuard[WHITE].guard, 0);
    EXPECT_EQ(threats.attackerCount[WHITE], 1);  // only the a8 queen bears on the zone
}

}  // namespace
