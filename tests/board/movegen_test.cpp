// Generation order (pieces from a8 to h1, promotions queen first) and the
// evasions of the check examples.
#include <gtest/gtest.h>

#include <string>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

TEST(MoveGeneration, ListsInGenerationOrder) {
    struct Case { const char *fen, *moves; };
    for (Case c : {Case{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                        "a2a3 a2a4 b2b3 b2b4 c2c3 c2c4 d2d3 d2d4 e2e3 e2e4 f2f3 f2f4 g2g3 g2g4 h2h3 h2h4 b1c3 b1a3 g1h3 g1f3"},
                   Case{"r3k3/1P6/8/8/8/8/8/4K3 w - -",
                        "b7a8Q b7a8R b7a8B b7a8N b7b8Q b7b8R b7b8B b7b8N e1e2 e1d1 e1f1 e1d2 e1f2"},
                   // A knight check cannot be blocked; a rook check can.
                   Case{"r3k3/2b5/3N4/8/8/8/8/4K3 b - -", "e8e7 e8d8 e8f8 e8d7 c7d6"},
                   Case{"4r1k1/8/8/1B6/8/8/8/4K3 w - -", "b5e2 b5e8 e1d1 e1f1 e1d2 e1f2"},
                   // The pawn that has just come to d5 checks the king on e4: e5xd6 takes it.
                   Case{"4k3/8/8/3pP3/4K3/8/8/8 w - d6", "e4e3 e4d4 e4f4 e4d5 e4f3 e4f5 e4d3 e5d6"}}) {
        setFen(c.fen);
        genPositionMoves();
        std::string listed;
        for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++)
            (listed += listed.empty() ? "" : " ") += moveToText(entry->move);
        EXPECT_EQ(listed, c.moves) << c.fen;
    }
}
