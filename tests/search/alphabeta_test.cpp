// The main search: terminal scores, draw rules, the deepest ply and the
// check-extension test.
#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/position.h"
#include "eval/evaluate.h"
#include "search/alphabeta.h"
#include "search/quiesce.h"
#include "search/state.h"
#include "search/tt.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

class AlphaBetaTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        mainThread.iterationDepth = 4;
        mainThread.followPv = false;
        mainThread.tbLimit = 0;
    }
};

TEST_F(AlphaBetaTest, MatesStalematesAndTheDrawRules) {
    // The moves are played from the position; the last `ply` of them inside
    // the search, the others in the game before its root.
    const char *kqk = "4k3/8/8/8/8/8/8/Q3K3 w - -", *shuffle = "4k1n1/8/8/8/8/8/8/Q3K1N1 w - -";  // White a queen up
    const char *knightsOutAndBack = "g1f3 g8f6 f3g1 f6g8", *twice = "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8";
    struct Case { const char *what, *fen; int fifty; const char *moves; int ply, depth, lowest, highest; };
    for (Case c : {Case{"mated at ply 5", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 0,
                        "e2e4 g7g5 b1c3 f7f6 d1h5", 5, 3, 5 - SCORE_BOUND, 5 - SCORE_BOUND},
                   Case{"stalemate", "7k/4Q3/6K1/8/8/8/8/8 w - -", 0, "e7f7", 1, 3, 0, 0},
                   Case{"a queen down", kqk, 0, "e1d2", 1, 2, -SCORE_BOUND, -500},
                   Case{"the fiftieth move", kqk, 99, "e1d2", 1, 2, 0, 0},
                   Case{"a repetition inside the search", shuffle, 0, knightsOutAndBack, 4, 1, 0, 0},
                   Case{"a repetition in the game next to the root", shuffle, 0, knightsOutAndBack, 1, 1, 500, 9000},
                   Case{"two repetitions of the game next to the root", shuffle, 0, twice, 1, 1, 0, 0},
                   Case{"two repetitions deeper are left to the search", shuffle, 0, twice, 8, 1, 500, 9000}}) {
        SCOPED_TRACE(c.what);
        ttClear();  // the fifty-move count is not part of the position's key
        setPosition(c.fen);
        pos.fiftyCount = uint8_t(c.fifty);
        ASSERT_TRUE(playMoves(c.moves));
        setSearchPly(c.ply);
        int score = alphaBeta(-SCORE_BOUND, SCORE_BOUND, int8_t(c.depth), 0, NODE_NULL_ALLOWED);
        EXPECT_GE(score, c.lowest);
        EXPECT_LE(score, c.highest);
    }
}

TEST_F(AlphaBetaTest, DeepestPlyReturnsTheStaticScoreAndTheCaptureSearchBeta) {
    setPosition("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
    ASSERT_TRUE(playMoves("f1b5"));
    setSearchPly(63);
    mainThread.nodeCount = 0;
    EXPECT_EQ(alphaBeta(-300, 300, 6, 0, NODE_NULL_ALLOWED), evaluate(-300, 300));
    EXPECT_EQ(mainThread.nodeCount, 1u);
    EXPECT_EQ(quiesce(-20, 35), 35);
}

TEST_F(AlphaBetaTest, CheckExtensionNeedsACheckThatIsNotSimplyLost) {
    struct Case { const char *fen, *move; bool extended; };
    for (Case c : {Case{"8/7k/7p/8/8/5N2/8/K7 w - -", "f3g5", false},    // hxg5, and nothing recaptures
                   Case{"8/7k/8/8/8/5N2/8/K7 w - -", "f3g5", true},      // nothing takes it
                   Case{"8/7k/7p/8/5P2/5N2/8/K7 w - -", "f3g5", true},   // f4 defends it
                   Case{"5B2/7k/7p/8/8/5N2/8/K7 w - -", "f3g5", true},   // the f8 bishop behind the h6 pawn
                   Case{"8/7k/7p/8/8/5N2/8/K4R2 w - -", "f3g5", true},   // the f1 rook sees up the f-file
                   Case{"8/7k/7p/8/4N3/8/8/KB6 w - -", "e4g5", true}}) {  // double check with the b1 bishop
        setPosition(c.fen);
        ASSERT_TRUE(playMoves(c.move));
        ASSERT_TRUE(inCheck());
        EXPECT_EQ(checkNeedsExtension(), c.extended) << c.fen;
    }
}

}  // namespace
