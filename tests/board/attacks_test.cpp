// Attack counts, check states and check threats on hand-made positions.
#include <gtest/gtest.h>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

TEST(Attacks, SlidersLinedUpBehindAnAttackerAreCounted) {
    // White rook d2 with the queen behind it on d1, against a black rook d8.
    setFen("3r3k/8/8/8/8/8/3R4/3QK3 w - -");
    EXPECT_EQ(countAttackers(sq("d8"), WHITE), 2);
    EXPECT_EQ(attackBalance(sq("d8"), BLACK), -2);
    EXPECT_EQ(attackBalance(sq("d8"), WHITE), 2);
    EXPECT_EQ(findAttacker(sq("d8"), WHITE), sq("d2"));
    // The black rook attacks d2 and the white king defends it.
    EXPECT_EQ(attackBalance(sq("d2"), WHITE), 1);
}

TEST(Attacks, BishopBehindAPawnCountsAsSecondAttacker) {
    setFen("7k/8/8/5n2/4P3/3B4/8/4K3 w - -");
    EXPECT_EQ(countAttackers(sq("f5"), WHITE), 2);
    EXPECT_EQ(findAttacker(sq("f5"), WHITE), sq("e4"));
}

TEST(Attacks, EmptySquareSeesThroughToTheFarSideOfItsLine) {
    // e4 is empty: the scan up the file meets the pawn on e6, whose own
    // nearest row down the file leads to the rook on e1.
    setFen("4k3/8/4p3/8/8/8/8/4R1K1 w - -");
    EXPECT_EQ(findAttackerEmpty(sq("e4"), WHITE), sq("e1"));
    EXPECT_EQ(findAttackerEmpty(sq("e4"), BLACK), 64);
    EXPECT_EQ(findAttackerEmpty(sq("d5"), BLACK), sq("e6"));
    EXPECT_EQ(attackBalanceEmpty(sq("e4"), WHITE), 1);
    EXPECT_EQ(attackBalanceEmpty(sq("d5"), WHITE), -1);
}

TEST(Attacks, DiscoveredDoubleCheckNamesTheKnight) {
    setFen("4k3/8/8/8/4N3/8/8/4R1K1 w - -");
    ASSERT_TRUE(playMoves("e4d6"));
    EXPECT_EQ(pos.checkState[pos.gamePly], sq("d6") | DOUBLE_CHECK);
    EXPECT_EQ(computeCheckState(), sq("d6") | DOUBLE_CHECK);
}

TEST(Attacks, QueenBehindACheckingRookIsASingleCheck) {
    setFen("4k3/8/8/8/8/8/4R3/4Q1K1 b - -");
    EXPECT_EQ(computeCheckState(), sq("e2"));
    EXPECT_EQ(countAttackers(sq("e8"), WHITE), 2);
}

TEST(Attacks, CastlingTestsLookAtTheCrossedAndLandingSquares) {
    setFen("4k3/8/b7/8/8/8/8/R3K2R w KQ -");  // a6 bishop covers f1
    EXPECT_TRUE(whiteShortCastleAttacked());
    EXPECT_FALSE(whiteLongCastleAttacked());
    setFen("4k3/8/8/8/4b3/8/8/R3K2R w KQ -");  // e4 bishop covers b1 only
    EXPECT_FALSE(whiteLongCastleAttacked());
    setFen("r3k2r/8/8/8/8/8/8/4K1R1 b kq -");  // g1 rook covers g8
    EXPECT_TRUE(blackShortCastleAttacked());
    EXPECT_FALSE(blackLongCastleAttacked());
}

TEST(Attacks, CheckThreatOfARookThatCanReachTheKingsLines) {
    // The black rook on a5 can check from e5 or a1, but the pawn d4 guards
    // e5 and the knight b3 guards a1: no safe check.
    setFen("7k/8/8/r7/3P4/1N6/8/4K3 w - -");
    EXPECT_TRUE(checkThreat(WHITE, false));
    EXPECT_FALSE(checkThreat(WHITE, true));
    // Without the knight, Ra1+ is safe.
    setFen("7k/8/8/r7/3P4/8/8/4K3 w - -");
    EXPECT_TRUE(checkThreat(WHITE, true));
}

TEST(Attacks, CheckThreatOfPawnsAndKnights) {
    // d3-d2+ is possible but nothing supports d2.
    setFen("7k/8/8/8/8/3p4/8/4K3 w - -");
    EXPECT_TRUE(checkThreat(WHITE, false));
    EXPECT_FALSE(checkThreat(WHITE, true));
    // The knight b4 can check from d3 (guarded by the pawn e2) or from c2
    // (guarded by the rook c1).
    setFen("7k/8/8/8/1n6/8/4P3/2R1K3 w - -");
    EXPECT_TRUE(checkThreat(WHITE, false));
    EXPECT_FALSE(checkThreat(WHITE, true));
    setFen("7k/8/8/8/1n6/8/4P3/4K3 w - -");
    EXPECT_TRUE(checkThreat(WHITE, true));
    // Nothing can reach a check square of these kings.
    setFen("4k3/8/8/n2p4/8/8/8/3K4 b - -");
    EXPECT_FALSE(checkThreat(WHITE, false));
    setFen("7k/8/8/8/8/8/P7/4K3 b - -");
    EXPECT_FALSE(checkThreat(BLACK, false));
}
