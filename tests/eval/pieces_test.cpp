// The piece pass: mobility, rook and bishop terms, blocked pawns.
#include "eval/pieces.h"

#include "eval_fixture.h"

namespace {

class PiecePass : public EvalTest {};

TEST_F(PiecePass, MobilityBlockedPawnsAndTableValues) {
    // Bishop d4 sees c5 b6 (not a7, a pawn) and e3 f2 g1; c3 b2 a1 and
    // e5 f6 g7 h8: 2 x (5 + 7).
    expectValues([](int) { return piecePass().mobility; }, {{"4k3/p7/8/8/3B4/8/8/4K3 w - -", 24}});
    expectValues([](int) { return piecePass().score; },
                 // e3 blocked by the knight: -4; the black knight on e4 stands on
                 // its e5 value 12.
                 {{"4k3/8/8/8/4n3/4P3/8/4K3 w - -", -4 - 12},
                  {"8/8/8/8/4k3/4P3/8/K7 w - -", -4},  // White e3 under the black king
                  {"8/8/8/4p3/4K3/8/8/k7 w - -", 4},   // Black e5 above the white king
                  {"8/8/8/3p4/3P4/8/8/K1k5 w - -", 0},  // d4 and d5 block each other
                  {"8/p7/8/8/8/8/7P/K1k5 w - -", 0}});   // a7 and h2 are free
}

TEST_F(PiecePass, RookBonusesAndTrappedBishops) {
    expectValues([](int square) { return rookBonus(square, pieceSide(pos.board[square])); },
                 // Two rooks on the open a-file: the front one 15, the one behind it 20
                 // with fewer than 5 pawns or 25 with more, and 5 for the rook in front.
                 {{"4k3/8/8/8/8/8/R7/R3K3 w - -", 15, sq("a2")}, {"4k3/8/8/8/8/8/R7/R3K3 w - -", 20 + 5, sq("a1")},
                  {"4k3/8/8/8/8/8/R1PPPPP1/R3K3 w - -", 15, sq("a2")},
                  {"4k3/8/8/8/8/8/R1PPPPP1/R3K3 w - -", 25 + 5, sq("a1")},
                  // Hemmed in on its home square, with no move along the rank either.
                  {"4k3/7p/8/8/8/8/6PP/6KR w - -", -20 - 15, sq("h1")}, {"4k3/7p/8/8/8/8/6PP/5K1R w - -", -20, sq("h1")},
                  // On the seventh; pinning a knight to the king, but not through a pawn.
                  {"6k1/R7/8/8/8/8/8/4K3 w - -", 15 + 15, sq("a7")}, {"4k3/8/8/8/8/8/4n3/4RK2 w - -", 15 + 20, sq("e1")},
                  {"4k3/8/8/8/8/8/4p3/4RK2 w - -", 10, sq("e1")}});
    expectValues([](int square) { return trappedBishopPenalty(square, pieceSide(pos.board[square])); },
                 {{"4k3/B1p5/1p6/8/8/8/8/4K3 w - -", 128, sq("a7")},  // a7 with two pawns
                  {"4k3/B7/1p6/8/8/8/8/4K3 w - -", 64, sq("a7")},      // and with one
                  {"4k3/5p1B/6p1/8/8/8/8/4K3 w - -", 128, sq("h7")},
                  {"1B2k3/2p5/1p6/8/8/8/8/4K3 w - -", 128, sq("b8")},
                  {"4k3/8/8/8/8/1P6/b1P5/4K3 w - -", 128, sq("a2")},  // Black's, against pawns b3 and c2
                  {"4k3/8/8/8/1B6/2p5/8/4K3 w - -", 0, sq("b4")}});   // b4 is no trap square
}

}  // namespace
