// Attack counts and check threats on hand-made positions.
#include <gtest/gtest.h>

#include "board/attacks.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

TEST(Attacks, PiecesLinedUpBehindAnAttackerAreCounted) {
    // White rook d2 with the queen behind it on d1, against a black rook d8.
    setFen("3r3k/8/8/8/8/8/3R4/3QK3 w - -");
    EXPECT_EQ(countAttackers(sq("d8"), WHITE), 2);
    EXPECT_EQ(attackBalance(sq("d8"), BLACK), -2);
    EXPECT_EQ(findAttacker(sq("d8"), WHITE), sq("d2"));
    // The black rook attacks d2 and the white king defends it.
    EXPECT_EQ(attackBalance(sq("d2"), WHITE), 1);
    // A bishop behind a pawn is the second attacker, the pawn the first.
    setFen("7k/8/8/5n2/4P3/3B4/8/4K3 w - -");
    EXPECT_EQ(countAttackers(sq("f5"), WHITE), 2);
    EXPECT_EQ(findAttacker(sq("f5"), WHITE), sq("e4"));
    // A queen behind a checking rook: two attackers, one checker.
    setFen("4k3/8/8/8/8/8/4R3/4Q1K1 b - -");
    EXPECT_EQ(computeCheckState(), sq("e2"));
    EXPECT_EQ(countAttackers(sq("e8"), WHITE), 2);
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

TEST(Attacks, CheckThreatsAndSafeCheckThreats) {
    struct Case { const char *fen; int side; bool any, safe; };
    for (Case c : {// The rook a5 can check from e5 or a1, but d4 guards e5 and the knight b3 a1;
                   // without the knight Ra1+ is safe.
                   Case{"7k/8/8/r7/3P4/1N6/8/4K3 w - -", WHITE, true, false},
                   Case{"7k/8/8/r7/3P4/8/8/4K3 w - -", WHITE, true, true},
                   // d3-d2+ is possible but nothing supports d2.
                   Case{"7k/8/8/8/8/3p4/8/4K3 w - -", WHITE, true, false},
                   // The knight b4 can check from d3 (guarded by e2) or c2 (guarded by the rook c1).
                   Case{"7k/8/8/8/1n6/8/4P3/2R1K3 w - -", WHITE, true, false},
                   Case{"7k/8/8/8/1n6/8/4P3/4K3 w - -", WHITE, true, true},
                   // Nothing can reach a check square of these kings.
                   Case{"4k3/8/8/n2p4/8/8/8/3K4 b - -", WHITE, false, false},
                   Case{"7k/8/8/8/8/8/P7/4K3 b - -", BLACK, false, false}}) {
        setFen(c.fen);
        EXPECT_EQ(checkThreat(c.side, false), c.any) << c.fen;
        EXPECT_EQ(checkThreat(c.side, true), c.safe) << c.fen;
    }
}
