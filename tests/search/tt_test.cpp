// Transposition table: matching, worth and the store rules.
#include <gtest/gtest.h>

#include "board/position.h"
#include "frontend/control.h"
#include "search/state.h"
#include "search/tt.h"
#include "tests/search/search_fixture.h"

namespace {

constexpr Move E2E4 = 52 | 36 << 6;
constexpr Move D2D4 = 51 | 35 << 6;
constexpr Move G1F3 = 62 | 45 << 6;

/// An entry that belongs to some other position.
TTEntry foreignEntry(int depth, int age, Move move = D2D4) {
    TTEntry entry{};
    entry.keyHigh = uint32_t(pos.hashKey >> 32) ^ 0x5A5A5A5A;
    entry.keyLow16 = uint16_t(pos.hashKey);
    entry.depth = int8_t(depth);
    entry.age = int16_t(age);
    entry.move = packMove(move);
    entry.flags = BOUND_EXACT;
    return entry;
}

class TableTest : public SearchTest {};

TEST_F(TableTest, WorthFallsWithAge) {
    TTEntry *bucket = ttBucket();
    bucket[0] = foreignEntry(6, 20);
    ttAge = 22;
    EXPECT_EQ(ttWorth(bucket[0]), 4);
    // A depth-4 result of another position now replaces it; the old entry
    // moves down to the second place.
    ttStore(bucket, E2E4, 10, 4, BOUND_EXACT, false);
    EXPECT_TRUE(ttMatches(bucket[0]));
    EXPECT_EQ(bucket[1].depth, 6);
    EXPECT_FALSE(ttMatches(bucket[1]));
}

TEST_F(TableTest, ShallowResultGoesBehindDeeperEntries) {
    TTEntry *bucket = ttBucket();
    ttAge = 0;
    bucket[0] = foreignEntry(8, 0);
    bucket[1] = foreignEntry(7, 0, G1F3);
    bucket[2] = foreignEntry(6, 0);
    ttStore(bucket, E2E4, 10, 3, BOUND_EXACT, false);
    EXPECT_FALSE(ttMatches(bucket[0]));
    EXPECT_FALSE(ttMatches(bucket[1]));
    EXPECT_TRUE(ttMatches(bucket[2]));
    // Deep enough for the second place: the second entry is pushed down.
    ttStore(bucket, E2E4, 11, 7, BOUND_EXACT, false);
    EXPECT_TRUE(ttMatches(bucket[1]));
    EXPECT_EQ(unpackMove(bucket[2].move), G1F3);
}

TEST_F(TableTest, DeeperEntryOfTheSamePositionIsKept) {
    TTEntry *bucket = ttBucket();
    ttAge = 0;
    ttStore(bucket, E2E4, 10, 6, BOUND_EXACT, false);
    bucket[1] = foreignEntry(2, 0);
    ttStore(bucket, D2D4, 20, 4, BOUND_EXACT, false);
    EXPECT_EQ(bucket[0].score, 10);  // not replaced, and no second copy
    EXPECT_FALSE(ttMatches(bucket[1]));
    EXPECT_FALSE(ttMatches(bucket[2]));
}

TEST_F(TableTest, FailLowKeepsTheMoveOfTheSamePositionAndWritesItsOwnElsewhere) {
    TTEntry *bucket = ttBucket();
    ttStore(bucket, E2E4, 10, 4, BOUND_EXACT, false);
    ttStore(bucket, D2D4, -5, 5, BOUND_UPPER, true);
    EXPECT_EQ(unpackMove(bucket[0].move), E2E4);
    EXPECT_EQ(bucket[0].score, -5);
    EXPECT_EQ(bucket[0].depth, 5);
    EXPECT_EQ(bucket[0].flags, BOUND_UPPER);
    ttClear();  // a fail low into another position's entry
    bucket[0] = foreignEntry(1, 0);
    ttStore(bucket, D2D4 | MF_PAWN | MF_DOUBLE, -5, 5, BOUND_UPPER, true);
    EXPECT_TRUE(ttMatches(bucket[0]));
    EXPECT_EQ(unpackMove(bucket[0].move), D2D4);
}

TEST_F(TableTest, NullMoveCutOffClearsTheMatchingEntrysMoveAndRespectsWorth) {
    TTEntry *bucket = ttBucket();
    bucket[0] = foreignEntry(9, 0);
    ttStore(bucket, E2E4, 10, 3, BOUND_EXACT, false);
    TTEntry *slot = ttProbe(bucket);
    ASSERT_EQ(slot, &bucket[1]);
    ttStoreNullMove(slot, 120, 4);
    EXPECT_EQ(bucket[1].move, 0);
    EXPECT_EQ(bucket[1].score, 120);
    EXPECT_EQ(bucket[1].flags, BOUND_LOWER);
    EXPECT_EQ(bucket[0].depth, 9);  // nothing is shifted
    ttClear();
    bucket[2] = foreignEntry(7, 0);
    ttStoreNullMove(&bucket[2], 120, 4);
    EXPECT_FALSE(ttMatches(bucket[2]));
    EXPECT_EQ(bucket[2].depth, 7);
}

TEST_F(TableTest, RootStoreMovesTheOldEntryOrGoesBehindADeepOneByKey) {
    TTEntry *bucket = ttBucket();
    TTEntry old = foreignEntry(1, 0);
    bucket[0] = old;
    ttStoreRoot(E2E4, 15, 3, BOUND_EXACT, false);
    EXPECT_TRUE(ttMatches(bucket[0]));
    int oldSlot = 1 + (old.keyHigh & 1);
    EXPECT_EQ(bucket[oldSlot].keyHigh, old.keyHigh);
    EXPECT_EQ(ttProbeRoot(), &bucket[0]);
    ttClear();
    bucket[0] = foreignEntry(20, 0);
    ttStoreRoot(E2E4, 15, 3, BOUND_EXACT, false);
    int slot = 1 + int((pos.hashKey >> 32) & 1);
    EXPECT_TRUE(ttMatches(bucket[slot]));
    EXPECT_FALSE(ttMatches(bucket[3 - slot]));
    EXPECT_EQ(ttProbeRoot(), &bucket[slot]);
}

TEST_F(TableTest, QuiescenceTableKeepsTwoPositionsPerBucket) {
    ASSERT_NE(quiesceTable, nullptr);
    EXPECT_EQ(quiesceProbe(), nullptr);
    quiesceStore(E2E4, 30, BOUND_EXACT);
    const TTEntry *entry = quiesceProbe();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->score, 30);
    // Same bucket, other position (a different high key half): the first
    // entry moves to the second place.
    pos.hashKey ^= uint64_t(1) << 40;
    quiesceStore(D2D4, 40, BOUND_LOWER);
    EXPECT_EQ(quiesceProbe()->score, 40);
    pos.hashKey ^= uint64_t(1) << 40;
    ASSERT_NE(quiesceProbe(), nullptr);
    EXPECT_EQ(quiesceProbe()->score, 30);
}

}  // namespace
