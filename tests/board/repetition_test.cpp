// Repetition counting over the game history.
#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/position.h"
#include "board/repetition.h"
#include "tests/support/board_helpers.h"

TEST(Repetition, CountsEarlierPositionsBackToTheLastPawnMove) {
    struct Case { const char *fen, *moves; int count, fiftyCount; };
    const char *start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
    for (Case c : {Case{start, "g1f3 g8f6 f3g1", 0, 3}, Case{start, "g1f3 g8f6 f3g1 f6g8", 1, 4},
                   Case{start, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", 2, 8},
                   // Positions with the other side to move are not compared: 1.Nf3 came twice before.
                   Case{start, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3", 2, 9},
                   // Only the position after e2e3 counts.
                   Case{start, "g1f3 g8f6 f3g1 f6g8 e2e3 g8f6 g1f3 f6g8 f3g1", 1, 4},
                   // Lost castling rights do not make a position new.
                   Case{"4k3/8/8/8/8/8/8/4K2R w K -", "e1f1 e8d8 f1e1 d8e8", 1, 4}}) {
        setFen(c.fen);
        ASSERT_TRUE(playMoves(c.moves));
        EXPECT_EQ(repetitionCount(), c.count) << c.moves;
        EXPECT_EQ(pos.fiftyCount, c.fiftyCount) << c.moves;
    }
    // A null move stops the look-back.
    makeNullMove();
    makeNullMove();
    EXPECT_EQ(repetitionCount(), 0);
}
