// Transposition table: matching, worth and the store rules.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "board/position.h"
#include "eval/evaluate.h"
#include "eval/pawns.h"
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
    TTSlot *bucket = ttBucket();
    ttWrite(bucket[0], foreignEntry(6, 20));
    mainThread.ttAge = 22;
    EXPECT_EQ(ttWorth(ttRead(bucket[0])), 4);
    // A depth-4 result of another position now replaces it; the old entry
    // moves down to the second place.
    ttStore(bucket, E2E4, 10, 4, BOUND_EXACT, false);
    EXPECT_TRUE(ttMatches(ttRead(bucket[0])));
    EXPECT_EQ(ttRead(bucket[1]).depth, 6);
    EXPECT_FALSE(ttMatches(ttRead(bucket[1])));
}

TEST_F(TableTest, ShallowResultGoesBehindDeeperEntries) {
    TTSlot *bucket = ttBucket();
    mainThread.ttAge = 0;
    ttWrite(bucket[0], foreignEntry(8, 0));
    ttWrite(bucket[1], foreignEntry(7, 0, G1F3));
    ttWrite(bucket[2], foreignEntry(6, 0));
    ttStore(bucket, E2E4, 10, 3, BOUND_EXACT, false);
    EXPECT_FALSE(ttMatches(ttRead(bucket[0])));
    EXPECT_FALSE(ttMatches(ttRead(bucket[1])));
    EXPECT_TRUE(ttMatches(ttRead(bucket[2])));
    // Deep enough for the second place: the second entry is pushed down.
    ttStore(bucket, E2E4, 11, 7, BOUND_EXACT, false);
    EXPECT_TRUE(ttMatches(ttRead(bucket[1])));
    EXPECT_EQ(unpackMove(ttRead(bucket[2]).move), G1F3);
}

TEST_F(TableTest, DeeperEntryOfTheSamePositionIsKept) {
    TTSlot *bucket = ttBucket();
    mainThread.ttAge = 0;
    ttStore(bucket, E2E4, 10, 6, BOUND_EXACT, false);
    ttWrite(bucket[1], foreignEntry(2, 0));
    ttStore(bucket, D2D4, 20, 4, BOUND_EXACT, false);
    EXPECT_EQ(ttRead(bucket[0]).score, 10);  // not replaced, and no second copy
    EXPECT_FALSE(ttMatches(ttRead(bucket[1])));
    EXPECT_FALSE(ttMatches(ttRead(bucket[2])));
}

TEST_F(TableTest, FailLowKeepsTheMoveOfTheSamePositionAndWritesItsOwnElsewhere) {
    TTSlot *bucket = ttBucket();
    ttStore(bucket, E2E4, 10, 4, BOUND_EXACT, false);
    ttStore(bucket, D2D4, -5, 5, BOUND_UPPER, true);
    EXPECT_EQ(unpackMove(ttRead(bucket[0]).move), E2E4);
    EXPECT_EQ(ttRead(bucket[0]).score, -5);
    EXPECT_EQ(ttRead(bucket[0]).depth, 5);
    EXPECT_EQ(ttRead(bucket[0]).flags, BOUND_UPPER);
    ttClear();  // a fail low into another position's entry
    ttWrite(bucket[0], foreignEntry(1, 0));
    ttStore(bucket, D2D4 | MF_PAWN | MF_DOUBLE, -5, 5, BOUND_UPPER, true);
    EXPECT_TRUE(ttMatches(ttRead(bucket[0])));
    EXPECT_EQ(unpackMove(ttRead(bucket[0]).move), D2D4);
}

TEST_F(TableTest, NullMoveCutOffClearsTheMatchingEntrysMoveAndRespectsWorth) {
    TTSlot *bucket = ttBucket();
    ttWrite(bucket[0], foreignEntry(9, 0));
    ttStore(bucket, E2E4, 10, 3, BOUND_EXACT, false);
    TTEntry found;
    TTSlot *slot = ttProbe(bucket, &found);
    ASSERT_EQ(slot, &bucket[1]);
    ttStoreNullMove(slot, 120, 4);
    EXPECT_EQ(ttRead(bucket[1]).move, 0);
    EXPECT_EQ(ttRead(bucket[1]).score, 120);
    EXPECT_EQ(ttRead(bucket[1]).flags, BOUND_LOWER);
    EXPECT_EQ(ttRead(bucket[0]).depth, 9);  // nothing is shifted
    ttClear();
    ttWrite(bucket[2], foreignEntry(7, 0));
    ttStoreNullMove(&bucket[2], 120, 4);
    EXPECT_FALSE(ttMatches(ttRead(bucket[2])));
    EXPECT_EQ(ttRead(bucket[2]).depth, 7);
}

TEST_F(TableTest, RootStoreMovesTheOldEntryOrGoesBehindADeepOneByKey) {
    TTSlot *bucket = ttBucket();
    TTEntry old = foreignEntry(1, 0);
    ttWrite(bucket[0], old);
    ttStoreRoot(E2E4, 15, 3, BOUND_EXACT, false);
    EXPECT_TRUE(ttMatches(ttRead(bucket[0])));
    int oldSlot = 1 + (old.keyHigh & 1);
    EXPECT_EQ(ttRead(bucket[oldSlot]).keyHigh, old.keyHigh);
    TTEntry found;
    EXPECT_EQ(ttProbeRoot(&found), &bucket[0]);
    ttClear();
    ttWrite(bucket[0], foreignEntry(20, 0));
    ttStoreRoot(E2E4, 15, 3, BOUND_EXACT, false);
    int slot = 1 + int((pos.hashKey >> 32) & 1);
    EXPECT_TRUE(ttMatches(ttRead(bucket[slot])));
    EXPECT_FALSE(ttMatches(ttRead(bucket[3 - slot])));
    EXPECT_EQ(ttProbeRoot(&found), &bucket[slot]);
}

TEST_F(TableTest, QuiescenceTableKeepsTwoPositionsPerBucket) {
    ASSERT_NE(quiesceTable, nullptr);
    TTEntry entry;
    EXPECT_FALSE(quiesceProbe(&entry));
    quiesceStore(E2E4, 30, BOUND_EXACT);
    ASSERT_TRUE(quiesceProbe(&entry));
    EXPECT_EQ(entry.score, 30);
    // Same bucket, other position (a different high key half): the first
    // entry moves to the second place.
    pos.hashKey ^= uint64_t(1) << 40;
    quiesceStore(D2D4, 40, BOUND_LOWER);
    ASSERT_TRUE(quiesceProbe(&entry));
    EXPECT_EQ(entry.score, 40);
    pos.hashKey ^= uint64_t(1) << 40;
    ASSERT_TRUE(quiesceProbe(&entry));
    EXPECT_EQ(entry.score, 30);
}

/// A result of the current position with every field set.
TTEntry ownEntry(Move move, int score, int depth, int age, uint8_t flags) {
    TTEntry entry{};
    entry.keyHigh = uint32_t(pos.hashKey >> 32);
    entry.keyMid = uint16_t(pos.hashKey >> 16);
    entry.keyLow16 = uint16_t(pos.hashKey);
    entry.move = packMove(move);
    entry.score = int16_t(score);
    entry.depth = int8_t(depth);
    entry.age = int16_t(age);
    entry.flags = flags;
    return entry;
}

TEST_F(TableTest, PhaseChangeClearsTheTables) {
    auto fillTables = [] { ttTable[0].check = 0xABCD, quiesceTable[0].check = 0xABCD, pawnHash[0].key = 0x1234; };
    setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    checkPhaseChange();
    EXPECT_EQ(evalPhase, PHASE_MIDDLEGAME);
    fillTables();
    checkPhaseChange();  // still the middlegame: kept
    EXPECT_EQ(ttTable[0].check, 0xABCDu);
    EXPECT_EQ(quiesceTable[0].check, 0xABCDu);
    EXPECT_EQ(pawnHash[0].key, 0x1234u);
    setPosition("4k3/pppp4/8/8/8/8/PPPP4/R3K2R w - -");  // 1000 against 0: the endgame
    checkPhaseChange();
    EXPECT_EQ(evalPhase, PHASE_ENDGAME);
    EXPECT_EQ(ttTable[0].check, 0u);
    EXPECT_EQ(quiesceTable[0].check, 0u);
    EXPECT_EQ(pawnHash[0].key, 0u);
}

TEST_F(TableTest, SlotKeepsEveryFieldOfAnEntry) {
    struct Case { Move move; int score, depth, age; uint8_t flags; };
    const Case cases[] = {
        {E2E4, 10, 4, 22, BOUND_EXACT},
        {D2D4, -9998, 63, 799, BOUND_UPPER | MATE_THREAT},
        {G1F3, 9999, 1, 0, BOUND_LOWER},
        {0, -32768, -1, -1, 0},
        {(12 | 4 << 6) | 4 << 16, 32767, 127, 32767, BOUND_EXACT | MATE_THREAT},  // e7e8=Q
    };
    TTSlot slot{};
    for (const Case &c : cases) {
        ttWrite(slot, ownEntry(c.move, c.score, c.depth, c.age, c.flags));
        TTEntry read = ttRead(slot);
        EXPECT_TRUE(ttMatches(read));
        EXPECT_EQ(unpackMove(read.move), c.move);
        EXPECT_EQ(read.score, c.score);
        EXPECT_EQ(read.depth, c.depth);
        EXPECT_EQ(read.age, c.age);
        EXPECT_EQ(read.flags, c.flags);
    }
}

TEST_F(TableTest, SlotTornBetweenTwoWritesMatchesNoPosition) {
    // Two threads write the same slot at once and the words interleave: the
    // key word of one write ends up beside the data word of the other.
    struct Case { uint64_t otherKey; TTEntry first, second; };
    uint64_t own = pos.hashKey;
    const Case cases[] = {
        // The same position with another score, depth, bound or move.
        {own, ownEntry(E2E4, 10, 4, 0, BOUND_EXACT), ownEntry(E2E4, 55, 4, 0, BOUND_EXACT)},
        {own, ownEntry(E2E4, 10, 4, 0, BOUND_EXACT), ownEntry(E2E4, 10, 9, 0, BOUND_EXACT)},
        {own, ownEntry(E2E4, 10, 4, 0, BOUND_LOWER), ownEntry(E2E4, 10, 4, 0, BOUND_UPPER)},
        {own, ownEntry(E2E4, 10, 4, 0, BOUND_EXACT), ownEntry(D2D4, 10, 4, 0, BOUND_EXACT)},
        // Another position whose key differs from this one in one bit.
        {own ^ uint64_t(1) << 40, ownEntry(E2E4, 10, 4, 0, BOUND_EXACT), ownEntry(G1F3, -300, 2, 0, BOUND_LOWER)},
    };
    for (const Case &c : cases) {
        TTSlot first{}, second{};
        ttWrite(first, c.first);
        pos.hashKey = c.otherKey;
        TTEntry other = c.second;
        other.keyHigh = uint32_t(c.otherKey >> 32);
        ttWrite(second, other);
        pos.hashKey = own;
        TTSlot torn = {first.check, second.data};
        EXPECT_FALSE(ttMatches(ttRead(torn)));
        pos.hashKey = c.otherKey;
        EXPECT_FALSE(ttMatches(ttRead(torn)));
        TTSlot tornOtherWay = {second.check, first.data};
        EXPECT_FALSE(ttMatches(ttRead(tornOtherWay)));
        pos.hashKey = own;
        EXPECT_FALSE(ttMatches(ttRead(tornOtherWay)));
    }
}

TEST_F(TableTest, ConcurrentWritersNeverLeaveAMatchingEntryWithAnotherWritersData) {
    // Two writers fill one slot with results of two positions, each with
    // data that only its own position would store; a reader that finds a
    // matching entry must see the data of that same position.
    TTSlot slot{};
    const uint64_t keys[2] = {0x1234567890ABCDEFull, 0x0FEDCBA987654321ull};
    std::atomic<bool> done{false};
    auto writer = [&](int w) {
        TTEntry entry{};
        entry.keyHigh = uint32_t(keys[w] >> 32);
        entry.keyMid = uint16_t(keys[w] >> 16);
        entry.keyLow16 = uint16_t(keys[w]);
        for (int i = 0; !done.load(); i++) {
            entry.score = int16_t(w == 0 ? i % 1000 : -(i % 1000) - 1);  // signs tell the writers apart
            ttWrite(slot, entry);
        }
    };
    std::thread first(writer, 0), second(writer, 1);
    // Read many times, and until both writers' entries have been seen often
    // (the threads may start late on a busy machine), or give up after a while.
    int matched[2] = {0, 0}, wrong = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto enough = [&](int reads) { return reads >= 5000000 && matched[0] >= 1000 && matched[1] >= 1000; };
    for (int i = 0; !enough(i) && std::chrono::steady_clock::now() < deadline; i++) {
        pos.hashKey = keys[i & 1];
        TTEntry read = ttRead(slot);
        if (!ttMatches(read)) continue;
        matched[i & 1]++;
        bool ownSign = (i & 1) == 0 ? read.score >= 0 : read.score < 0;
        if (!ownSign) wrong++;
    }
    done = true;
    first.join();
    second.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_GE(matched[0], 1000);
    EXPECT_GE(matched[1], 1000);
}

}  // namespace
