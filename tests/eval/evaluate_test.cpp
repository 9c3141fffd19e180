// The driver: material and imbalance, draw damping, the lazy exit and the
// whole sum for small endings.
#include "eval/evaluate.h"

#include "eval_fixture.h"

namespace {

class Driver : public EvalTest {};

TEST_F(Driver, ImbalanceOfUnequalTradesAndDrawDamping) {
    expectValues([](int) { return materialBalance(); },
                 {{"4k1n1/8/8/8/8/8/8/R3K3 w - -", 500 - 300 + 30},     // rook against knight
                  {"r3k3/8/8/8/8/8/8/1NB1K3 w - -", 600 - 500 + 120},    // two minors against a rook
                  {"r3k2r/8/8/8/8/8/8/3QK3 w - -", 900 - 1000 + 60},     // queen against two rooks
                  {"3qk3/8/8/8/8/8/8/1NBBK3 w - -", 900 - 900 + 120},    // three minors against a queen
                  {"r1b1k3/8/8/8/8/8/8/3QK3 w - -", 900 - 800 + 30},     // queen against rook and bishop
                  {"4k3/pp6/8/8/8/8/PP6/1N2K3 w - -", 300 + 120}});      // a clean extra knight
    // The damping flags, 1 for White's and 2 for Black's.
    expectValues([](int) { return drawDamping().white + 2 * drawDamping().black; },
                 {{"4kb2/8/8/8/8/8/8/R3K3 w - -", 3},    // rook against bishop, no pawns
                  {"4kn2/8/8/8/8/8/8/1N2KB2 w - -", 1},  // knight and bishop against knight
                  {"4kn2/8/8/8/8/8/8/2B1KB2 w - -", 0},  // but two bishops beat a knight
                  {"4k3/8/8/8/8/8/P7/1N2KN2 w - -", 0},  // a pawn keeps the winning chances
                  {"4k3/8/8/8/8/8/8/1N2KN2 w - -", 1}});
    DrawDamping whiteOnly = {true, false};
    EXPECT_EQ(dampScore(205, whiteOnly), 51);  // toward zero
    EXPECT_EQ(dampScore(-205, whiteOnly), -205);
}

TEST_F(Driver, WholeScoresAndTheLazyExit) {
    expectValues([](int) { return fullEval(); },
                 {{"4k3/8/8/8/8/8/8/1N2Kb2 w - -", 0},  // knight against bishop
                  // 600 + 2 x 120 extra minors; knights on b1 and g1 worth -10 each;
                  // both kings on e-squares worth 15 in the centre table; no
                  // mobility; divided by 4: (840 - 20) / 4.
                  {"4k3/8/8/8/8/8/8/1N2K1N1 w - -", 205}, {"4k3/8/8/8/8/8/8/1N2K1N1 b - -", -205},
                  // Nine queens and every other piece: the material alone would read
                  // as a mate; the evaluation stays below the lowest tablebase win.
                  {"7k/8/8/8/8/8/QQQQQQQQ/QRRBBNNK b - -", -EVAL_LIMIT},
                  // Rook against bare king: the quick score is 500 + 120. In full the
                  // rook on an open file adds 15, its mobility 7 + 3 halved with 500
                  // of material 5; the two kings' centre values cancel.
                  {"4k3/8/8/8/8/8/8/R3K3 w - -", 640}, {"4k3/8/8/8/8/8/8/R3K3 b - -", -640}});
    // The lazy exit with the margin of 200: 620 - 200 >= beta, 620 + 200 <= alpha.
    expectValues([](int beta) { return int(evaluate(-10000, int16_t(beta))); },
                 {{"4k3/8/8/8/8/8/8/R3K3 w - -", 620, 420},
                  {"4k3/8/8/8/8/8/8/R3K3 w - -", 640, 421}});
    expectValues([](int alpha) { return int(evaluate(int16_t(alpha), 10000)); },
                 {{"4k3/8/8/8/8/8/8/R3K3 w - -", 620, 820},
                  {"4k3/8/8/8/8/8/8/R3K3 w - -", 640, 819},
                  {"4k3/8/8/8/8/8/8/R3K3 b - -", -620, 0}});
}

}  // namespace
