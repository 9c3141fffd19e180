// Generation order and the evasions of the check examples.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

/// The coordinate texts of the current ply's list, in list order.
static std::vector<std::string> listed() {
    std::vector<std::string> texts;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) texts.push_back(moveToText(entry->move));
    return texts;
}

static bool contains(const std::vector<std::string> &texts, const char *text) {
    for (const auto &t : texts)
        if (t == text) return true;
    return false;
}

TEST(MoveGeneration, StartPositionOrder) {
    setupPosition();
    genAllMoves();
    std::vector<std::string> expected = {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4",
                                         "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4", "b1c3", "b1a3", "g1h3", "g1f3"};
    EXPECT_EQ(listed(), expected);
}

TEST(MoveGeneration, PromotionsComeAsFourMovesQueenFirst) {
    setFen("r3k3/1P6/8/8/8/8/8/4K3 w - -");
    genAllMoves();
    std::vector<std::string> promotions = listed();
    promotions.resize(8);
    std::vector<std::string> expected = {"b7a8Q", "b7a8R", "b7a8B", "b7a8N", "b7b8Q", "b7b8R", "b7b8B", "b7b8N"};
    EXPECT_EQ(promotions, expected);
}

TEST(MoveGeneration, EvasionsTakeBlockOrStepAside) {
    // A knight check cannot be blocked; a rook check can.
    setFen("r3k3/2b5/3N4/8/8/8/8/4K3 b - -");
    genEvasions();
    EXPECT_EQ(listed(), std::vector<std::string>({"e8e7", "e8d8", "e8f8", "e8d7", "c7d6"}));
    setFen("4r1k1/8/8/1B6/8/8/8/4K3 w - -");
    genEvasions();
    EXPECT_EQ(listed(), std::vector<std::string>({"b5e2", "b5e8", "e1d1", "e1f1", "e1d2", "e1f2"}));
    // The pawn that has just come to d5 checks the king on e4: e5xd6 takes it.
    setFen("4k3/8/8/3pP3/4K3/8/8/8 w - d6");
    ASSERT_TRUE(inCheck());
    genEvasions();
    EXPECT_TRUE(contains(listed(), "e5d6"));
    EXPECT_TRUE(contains(listed(), "e4d5"));
}
