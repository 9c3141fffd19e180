// Passed pawns against pieces and kings, and pawn races. The race positions
// have no pieces; the expected sums are the pawn terms plus the race.
#include "eval/passers.h"

#include "eval_fixture.h"

namespace {

class PassedPawns : public EvalTest {};

TEST_F(PassedPawns, BlockersKingDistancesAndRaces) {
    expectValues([](int) { return evalPassedPawns(pawnRecord(), currentWeights()); },
                 // White has 1400: middlegame, e6 is worth 70; the knight on e7 takes 23.
                 {{"4k3/4n3/4P3/8/8/8/8/Q2RK3 w - -", -23},
                  // Outside passer a3 against a rook, and against rook and bishop.
                  {"4k2r/8/8/8/8/P7/8/4K3 w - -", 60}, {"4kb1r/8/8/8/8/P7/8/4K3 w - -", 30},
                  // Black has 1700: no outside passer, no king distances for a5; its own
                  // knight in front of it costs a quarter of the middlegame 40.
                  {"rn1qk3/8/8/P7/8/8/8/4K3 w - -", 0}, {"rn1qk3/8/N7/P7/8/8/8/4K3 w - -", -10},
                  // a5, White to move, king h8: unstoppable in 3, the race gives 800. Both
                  // kings 7 from a8: + (50 >> 3) x 1; outside passer against no pieces 60.
                  {"7k/8/8/P7/8/8/8/K7 w - -", 6 + 60 + 800},
                  // King e8 is four moves from a5: outside the square with White to move,
                  // and nothing stands between it and a8; with Black to move it catches it.
                  {"4k3/8/8/P7/8/8/8/K7 w - -", 60 + 800}, {"4k3/8/8/P7/8/8/8/K7 b - -", 60},
                  // a3 needs 5 moves, h4 only 3 and the White king on b1 is too far;
                  // both are outside passers: 60 - 60.
                  {"7k/8/8/8/7p/P7/8/1K6 w - -", -800},
                  // b5 and g5 are each inside the square of the king on e8, but five files
                  // apart: the pair queens in 3 whoever moves.
                  {"4k3/8/8/1P4P1/8/8/8/K7 w - -", 60 + 60 + 800}, {"4k3/8/8/1P4P1/8/8/8/K7 b - -", 60 + 60 + 800},
                  // a6 and h3 both queen in 2. a6: +60, no king bonus (d4 nearer a8 than f6);
                  // h3: -60, -(90 >> 3) x (5 - 4 + 1) = -22 for the White king farther from h1.
                  // Whoever moves queens first and covers the other corner down the long
                  // diagonal, four moves from the other king.
                  {"8/8/P4K2/8/3k4/7p/8/8 w - -", 60 - 22 - 60 + 800}, {"8/8/P4K2/8/3k4/7p/8/8 b - -", 60 - 22 - 60 - 800},
                  // a5 needs 3 moves, h3 only 2: Black queens first on h1 and covers a8, but
                  // the White king on b6 is two squares from a8: -50. a5: (50 >> 3) x
                  // (7 - 2 + 1) = 36 for the kings' distances, +60; h3: -(90 >> 3) x
                  // (6 - 5 + 1) = -22 and -60.
                  {"8/8/1K5k/P7/8/7p/8/8 w - -", 36 + 60 - 22 - 60 - 50}});
}

}  // namespace
