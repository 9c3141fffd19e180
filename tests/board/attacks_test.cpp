// Check threats, safe and unsafe, on hand-made positions.
#include <gtest/gtest.h>

#include "board/attacks.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

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
