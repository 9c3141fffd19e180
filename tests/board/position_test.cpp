// The consistency check that the random games rely on.
#include <gtest/gtest.h>

#include "board/position.h"
#include "tests/support/board_helpers.h"

TEST(Position, ConsistencyCheckNoticesACorruptedField) {
    const char *fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
    setFen(fen);
    ASSERT_EQ(positionFault(), nullptr);
    pos.nearest[sq("e5")][0] = 64;  // e5 sees e6 above it
    EXPECT_NE(positionFault(), nullptr);
    setFen(fen);
    pos.hashKey ^= 1;
    EXPECT_NE(positionFault(), nullptr);
}
