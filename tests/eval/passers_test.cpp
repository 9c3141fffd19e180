// Passed pawns against pieces and kings, and pawn races. The race positions
// have no pieces; the expected sums are the pawn terms plus the race.
#include "eval/passers.h"

#include "eval_fixture.h"

namespace {

class PassedPawns : public EvalTest {
protected:
    static int passers() { return evalPassedPawns(pawnRecord(), currentWeights()); }
};

TEST_F(PassedPawns, BlockadedPasserLosesAThirdOfItsBonus) {
    // White has 1400: middlegame, e6 is worth 70; the knight on e7 takes 23.
    setFen("4k3/4n3/4P3/8/8/8/8/Q2RK3 w - -");
    EXPECT_EQ(passers(), -23);
}

TEST_F(PassedPawns, OutsidePasserAgainstRookAndAgainstRookAndBishop) {
    setFen("4k2r/8/8/8/8/P7/8/4K3 w - -");
    EXPECT_EQ(passers(), 60);
    setFen("4kb1r/8/8/8/8/P7/8/4K3 w - -");
    EXPECT_EQ(passers(), 30);
}

TEST_F(PassedPawns, AgainstHeavyMaterialOnlyBlockersCount) {
    // Black has 1700: no outside passer, no king distances for a5.
    setFen("rn1qk3/8/8/P7/8/8/8/4K3 w - -");
    EXPECT_EQ(passers(), 0);
    // Its own knight in front of it: a quarter of the middlegame 40.
    setFen("rn1qk3/8/N7/P7/8/8/8/4K3 w - -");
    EXPECT_EQ(passers(), -10);
}

TEST_F(PassedPawns, PawnOutsideTheSquareOfTheKing) {
    // a5, White to move, king h8: unstoppable in 3, the race gives 800. Both
    // kings 7 from a8: + (50 >> 3) x 1; outside passer against no pieces 60.
    setFen("7k/8/8/P7/8/8/8/K7 w - -");
    EXPECT_EQ(passers(), 6 + 60 + 800);
    // King e8 is four moves from a5: still outside the square with White
    // to move; nothing stands between it and a8, so the pawn queens.
    setFen("4k3/8/8/P7/8/8/8/K7 w - -");
    EXPECT_EQ(passers(), 60 + 800);
    // With Black to move the king catches it.
    setFen("4k3/8/8/P7/8/8/8/K7 b - -");
    EXPECT_EQ(passers(), 60);
}

TEST_F(PassedPawns, FasterBlackPawnWinsTheRace) {
    // a3 needs 5 moves, h4 only 3 and the White king on b1 is too far.
    // Both are outside passers: 60 - 60.
    setFen("7k/8/8/8/7p/P7/8/1K6 w - -");
    EXPECT_EQ(passers(), -800);
}

TEST_F(PassedPawns, SplitPassersOutrunTheKing) {
    // b5 and g5 are each inside the square of the king on e8, but five
    // files apart: the pair queens in 3 whoever moves.
    setFen("4k3/8/8/1P4P1/8/8/8/K7 w - -");
    EXPECT_EQ(passers(), 60 + 60 + 800);
    setFen("4k3/8/8/1P4P1/8/8/8/K7 b - -");
    EXPECT_EQ(passers(), 60 + 60 + 800);
}

TEST_F(PassedPawns, EqualRaceDecidedByTheLongDiagonal) {
    // a6 and h3 both queen in 2. a6: outside passer +60, no king bonus (d4
    // nearer a8 than f6). h3: -60 outside, -(90 >> 3) x (5 - 4 + 1) = -22
    // for the White king being farther from h1.
    // White to move queens first on a8 and covers h1 down the empty long
    // diagonal; the Black king on d4 is four moves from h1.
    setFen("8/8/P4K2/8/3k4/7p/8/8 w - -");
    EXPECT_EQ(passers(), 60 - 22 - 60 + 800);
    // Black to move queens first on h1 and covers a8.
    setFen("8/8/P4K2/8/3k4/7p/8/8 b - -");
    EXPECT_EQ(passers(), 60 - 22 - 60 - 800);
}

TEST_F(PassedPawns, BlackQueensAMoveEarlierButTheWhiteKingGuardsTheCorner) {
    // a5 needs 3 moves, h3 only 2 with White to move: Black queens first on
    // h1 and covers a8, but the White king on b6 is two squares from a8: -50.
    // a5: (50 >> 3) x (7 - 2 + 1) = 36 for the kings' distances to a8, +60
    // outside passer; h3: -(90 >> 3) x (6 - 5 + 1) = -22 and -60.
    setFen("8/8/1K5k/P7/8/7p/8/8 w - -");
    EXPECT_EQ(passers(), 36 + 60 - 22 - 60 - 50);
}

}  // namespace
