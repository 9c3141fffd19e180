// Quiescence search and the static exchange test.
#include <gtest/gtest.h>

#include "board/position.h"
#include "board/types.h"
#include "eval/evaluate.h"
#include "search/quiesce.h"
#include "search/state.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

constexpr int D1 = 59, D2 = 51, D5 = 27;

class QuiesceTest : public SearchTest {
protected:
    /// Runs quiesce and returns the number of nodes it visited.
    uint32_t nodesOf(int16_t alpha, int16_t beta, int16_t *score = nullptr) {
        mainThread.nodeCount = 0;
        int16_t result = quiesce(alpha, beta);
        if (score) *score = result;
        return mainThread.nodeCount;
    }
};

TEST_F(QuiesceTest, CaptureIsSafeWhenTheExchangeDoesNotLoseAndOnlyThenSearchedByAHeavierPiece) {
    struct Case { const char *fen; int from; bool safe; };
    for (Case c : {Case{"4k3/8/4p3/3p4/8/8/8/3RK3 w - -", D1, false},        // Rxd5 exd5
                   Case{"4k3/8/8/3p4/8/8/8/3RK3 w - -", D1, true},           // the pawn is loose
                   Case{"3rk3/8/8/3p4/8/8/3R4/3RK3 w - -", D2, true},        // Rxd5 Rxd5 Rxd5
                   Case{"3rk3/8/8/3p4/8/8/3R4/4K3 w - -", D2, false},        // Rxd5 Rxd5
                   Case{"8/8/8/3pk3/8/8/8/3RK3 w - -", D1, false},           // Rxd5 Kxd5
                   Case{"8/8/8/3pk3/8/8/3R4/3RK3 w - -", D2, true},          // the king cannot take back
                   Case{"3r2k1/8/8/3n4/8/8/3Q4/3RK3 w - -", D2, false},      // Qxd5 Rxd5 Rxd5: 300 - 900 + 500
                   Case{"6k1/8/8/3n4/8/8/3Q4/3RK3 w - -", D2, true}}) {
        setPosition(c.fen);
        EXPECT_EQ(captureIsSafe(c.from, D5), c.safe) << c.fen;
        // The rook's capture from d1 is White's only one: a losing one is
        // skipped and the static score stands.
        if (c.from == D1) {
            EXPECT_EQ(nodesOf(-SCORE_BOUND, SCORE_BOUND) > 1, c.safe) << c.fen;
        }
    }
}

TEST_F(QuiesceTest, DeepestPlyReturnsBetaAndStandingPatAboveBetaSearchesNothing) {
    setPosition("4k3/8/8/3p4/4P3/8/8/4K3 w - -");
    int16_t score;
    EXPECT_EQ(nodesOf(-2000, -1000, &score), 1u);
    EXPECT_GE(score, -1000);
    setSearchPly(63);
    EXPECT_EQ(quiesce(-20, 35), 35);
}

/// The window (alpha, alpha + 1) with alpha between 350 and 650 above the
/// static score: a pawn capture is then pruned, a knight capture is not.
int16_t deltaAlpha() {
    // Far below the window the evaluation gives its quick estimate.
    int16_t full = evaluate(-SCORE_BOUND, SCORE_BOUND);
    int16_t quick = evaluate(int16_t(full + 2000), int16_t(full + 2001));
    int16_t alpha = int16_t(quick + 500);
    int16_t stand = evaluate(alpha, int16_t(alpha + 1));
    EXPECT_GT(alpha - stand, 350);
    EXPECT_LT(alpha - stand, 650);
    return alpha;
}

TEST_F(QuiesceTest, DeltaPruningSkipsOnlyAPawnCaptureFarBelowAlpha) {
    struct Case { const char *fen; bool pruned; };
    for (Case c : {Case{"r2q2k1/p7/8/3p4/4P3/8/P7/RQ4K1 w - -", true},
                   Case{"r2q2k1/p7/8/3n4/4P3/8/P7/RQ4K1 w - -", false},     // a knight is worth trying
                   Case{"r2q2k1/p7/8/3p4/4P3/8/P7/1Q4K1 w - -", false}}) {  // White has only the queen
        setPosition(c.fen);
        int16_t alpha = deltaAlpha();
        EXPECT_EQ(nodesOf(alpha, int16_t(alpha + 1)) == 1u, c.pruned) << c.fen;
    }
}

// Harmless checks: a knight on d6 checks the king on e8 and forks the rook
// on b7; nothing can take the knight, and the king can step to e7.
class HarmlessCheckTest : public QuiesceTest {
protected:
    /// Plays Ne4-d6+ and returns the nodes of a quiescence search whose
    /// window lies `below` centipawns under the static score.
    uint32_t nodesAfterCheck(const char *fen, int below) {
        setPosition(fen);
        EXPECT_TRUE(playMoves("e4d6"));
        int16_t full = evaluate(-SCORE_BOUND, SCORE_BOUND);
        int16_t beta = int16_t(full - below);
        EXPECT_GE(evaluate(int16_t(beta - 1), beta), beta);
        return nodesOf(int16_t(beta - 1), beta);
    }
};

TEST_F(HarmlessCheckTest, ForkedPieceSetsTheMarginAboveBeta) {
    // The rook on h8 guards e8, so the rook on b7 is the forked piece.
    const char *fen = "4k2r/1r6/8/8/4N3/8/5PPP/6K1 w - -";
    EXPECT_GT(nodesAfterCheck(fen, 1), 1u);
    EXPECT_EQ(nodesAfterCheck(fen, 600), 1u);
    // Without it the king's own square is White's: the king is the highest
    // forked piece and the static score stands.
    EXPECT_EQ(nodesAfterCheck("4k3/1r6/8/8/4N3/8/5PPP/6K1 w - -", 1), 1u);
}

}  // namespace
