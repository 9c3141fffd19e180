// The driver: material and imbalance, draw damping, the lazy exit and the
// whole sum for small endings.
#include "eval/evaluate.h"

#include <limits>

#include "board/position.h"
#include "eval_fixture.h"

namespace {

class Driver : public EvalTest {};

TEST_F(Driver, KnightAgainstBishopIsADraw) {
    setFen("4k3/8/8/8/8/8/8/1N2Kb2 w - -");
    EXPECT_EQ(fullEval(), 0);
}

TEST_F(Driver, ImbalanceOfUnequalTrades) {
    struct Case { const char *fen; int balance; };
    for (Case c : {Case{"4k1n1/8/8/8/8/8/8/R3K3 w - -", 500 - 300 + 30},     // rook against knight
                   Case{"r3k3/8/8/8/8/8/8/1NB1K3 w - -", 600 - 500 + 120},    // two minors against a rook
                   Case{"1nb1k3/8/8/8/8/8/8/R3K3 w - -", 500 - 600 - 120},    // and the other way round
                   Case{"r3k2r/8/8/8/8/8/8/3QK3 w - -", 900 - 1000 + 60},     // queen against two rooks
                   Case{"3qk3/8/8/8/8/8/8/1NBBK3 w - -", 900 - 900 + 120},    // three minors against a queen
                   Case{"r1b1k3/8/8/8/8/8/8/3QK3 w - -", 900 - 800 + 30},     // queen against rook and bishop
                   Case{"4k3/pp6/8/8/8/8/PP6/1N2K3 w - -", 300 + 120}}) {     // a clean extra knight
        setFen(c.fen);
        EXPECT_EQ(materialBalance(), c.balance) << c.fen;
    }
}

TEST_F(Driver, DrawishMaterialIsDamped) {
    setFen("4kb2/8/8/8/8/8/8/R3K3 w - -");  // rook against bishop, no pawns
    DrawDamping damping = drawDamping();
    EXPECT_TRUE(damping.white);
    EXPECT_TRUE(damping.black);
    setFen("4kn2/8/8/8/8/8/8/1N2KB2 w - -");  // knight and bishop against knight
    EXPECT_TRUE(drawDamping().white);
    setFen("4kn2/8/8/8/8/8/8/2B1KB2 w - -");  // but two bishops beat a knight
    EXPECT_FALSE(drawDamping().white);
    setFen("4k3/8/8/8/8/8/P7/1N2KN2 w - -");  // a pawn keeps the winning chances
    EXPECT_FALSE(drawDamping().white);
    setFen("4k3/8/8/8/8/8/8/1N2KN2 w - -");
    EXPECT_TRUE(drawDamping().white);
    EXPECT_FALSE(drawDamping().black);

    DrawDamping whiteOnly = {true, false};
    EXPECT_EQ(dampScore(205, whiteOnly), 51);  // toward zero
    EXPECT_EQ(dampScore(-205, whiteOnly), -205);
}

TEST_F(Driver, TwoKnightsAgainstBareKingIsDividedByFour) {
    // 600 + 2 x 120 extra minors; knights on b1 and g1 worth -10 each; both
    // kings on e-squares worth 15 in the centre table; no mobility.
    // (840 - 20) / 4.
    setFen("4k3/8/8/8/8/8/8/1N2K1N1 w - -");
    EXPECT_EQ(fullEval(), 205);
    setFen("4k3/8/8/8/8/8/8/1N2K1N1 b - -");
    EXPECT_EQ(fullEval(), -205);
}

TEST_F(Driver, LazyExitOnlyFarOutsideTheWindow) {
    // Rook against bare king: the quick score is 500 + 120. In full the rook
    // on an open file adds 15, its mobility 7 + 3 halved with 500 of
    // material 5; the two kings' centre values cancel. The margin is 200.
    setFen("4k3/8/8/8/8/8/8/R3K3 w - -");
    EXPECT_EQ(evaluate(-10000, 10000), 640);
    EXPECT_EQ(evaluate(-10000, 100), 620);  // 620 - 200 >= 100
    EXPECT_EQ(evaluate(-10000, 420), 620);
    EXPECT_EQ(evaluate(-10000, 421), 640);
    EXPECT_EQ(evaluate(820, 10000), 620);  // 620 + 200 <= 820
    EXPECT_EQ(evaluate(819, 10000), 640);
    setFen("4k3/8/8/8/8/8/8/R3K3 b - -");
    EXPECT_EQ(evaluate(0, 10000), -620);
    EXPECT_EQ(evaluate(-10000, 10000), -640);
}

TEST_F(Driver, ScoresStayBelowTheTablebaseBand) {
    // Nine queens and every other piece: the material alone would read as a
    // mate; the evaluation also stays below the lowest tablebase win
    // (TB_WIN_SCORE less the deepest ply).
    setFen("7k/8/8/8/8/8/QQQQQQQQ/QRRBBNNK b - -");
    EXPECT_EQ(evaluate(-10000, 10000), -EVAL_LIMIT);
    EXPECT_EQ(evaluate(std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()), -EVAL_LIMIT);
}

}  // namespace
