// The bench command: a fixed node count, and the game left as it was.
#include <gtest/gtest.h>

#include "board/position.h"
#include "search/bench.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

class BenchTest : public SearchTest {};

TEST_F(BenchTest, SameNodeCountOnEveryRunAndTheGameIsKept) {
    ASSERT_TRUE(playMoves("e2e4 c7c5"));
    uint64_t key = pos.hashKey;
    uint32_t elapsed;
    uint64_t first = benchNodes(4, &elapsed);
    EXPECT_EQ(pos.hashKey, key);
    EXPECT_EQ(pos.gamePly, 2);
    EXPECT_EQ(positionFault(), nullptr);
    EXPECT_EQ(benchNodes(4, &elapsed), first);
}

}  // namespace
