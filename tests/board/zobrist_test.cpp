// The hash keys hold the fixed constants that opening books are keyed with.
#include <gtest/gtest.h>

#include "board/types.h"
#include "board/zobrist.h"

TEST(Tables, ZobristKeysHoldTheFixedBookConstants) {
    EXPECT_EQ(zobristKeys[0], 0x6C23F4B8C0DD617EULL);
    EXPECT_EQ(zobristKeys[767], 0xA156FE313515BA7DULL);
    EXPECT_EQ(hashSeed, 0xC139B61D3DA793B1ULL);
    EXPECT_EQ(pieceKey(BLACK, KING, 63), zobristKeys[767]);
}
