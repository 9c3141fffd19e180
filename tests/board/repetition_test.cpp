// Repetition counting over the game history.
#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/position.h"
#include "board/repetition.h"
#include "tests/support/board_helpers.h"

TEST(Repetition, KnightShuffleRepeatsTheStartPosition) {
    setupPosition();
    ASSERT_TRUE(playMoves("g1f3 g8f6 f3g1"));
    EXPECT_EQ(repetitionCount(), 0);
    ASSERT_TRUE(playMoves("f6g8"));
    EXPECT_EQ(repetitionCount(), 1);
    ASSERT_TRUE(playMoves("g1f3 g8f6 f3g1 f6g8"));
    EXPECT_EQ(repetitionCount(), 2);
    // Positions with the other side to move are not compared.
    ASSERT_TRUE(playMoves("g1f3"));
    EXPECT_EQ(repetitionCount(), 2);  // after 1.Nf3 twice before
}

TEST(Repetition, APawnMoveClosesTheLookBack) {
    setupPosition();
    ASSERT_TRUE(playMoves("g1f3 g8f6 f3g1 f6g8 e2e3"));
    ASSERT_TRUE(playMoves("g8f6 g1f3 f6g8 f3g1"));
    EXPECT_EQ(repetitionCount(), 1);  // only the position after e2e3 counts
    EXPECT_EQ(pos.fiftyCount, 4);
}

TEST(Repetition, LostCastlingRightsDoNotMakeAPositionNew) {
    setFen("4k3/8/8/8/8/8/8/4K2R w K -");
    ASSERT_TRUE(playMoves("e1f1 e8d8 f1e1 d8e8"));
    EXPECT_EQ(pos.castleRights, 0);
    EXPECT_EQ(repetitionCount(), 1);
}

TEST(Repetition, ANullMoveStopsTheLookBack) {
    setupPosition();
    ASSERT_TRUE(playMoves("g1f3 g8f6 f3g1 f6g8"));
    makeNullMove();
    makeNullMove();
    EXPECT_EQ(repetitionCount(), 0);
}
