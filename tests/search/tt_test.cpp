// Transposition table: the store rules of a bucket and the slot encoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <tuple>

#include "board/position.h"
#include "search/state.h"
#include "search/tt.h"
#include "tests/search/search_fixture.h"

namespace {

constexpr Move E2E4 = 52 | 36 << 6, D2D4 = 51 | 35 << 6, G1F3 = 62 | 45 << 6;

/// An entry of the position with this key.
TTEntry entryOf(uint64_t key, Move move, int score, int depth, int age, uint8_t flags) {
    return TTEntry{uint32_t(key >> 32), uint16_t(key), packMove(move), int16_t(score), int16_t(age),
                   int8_t(depth), flags, uint16_t(key >> 16)};
}

class TableTest : public SearchTest {
protected:
    // Another position of the same bucket, whose root place is entry 2
    // where the current position's is entry 1.
    uint64_t foreign = 0;
    TTSlot *bucket = nullptr;
    void SetUp() override {
        SearchTest::SetUp();
        pos.hashKey = 0x0123456689ABCDEFull;
        foreign = pos.hashKey ^ uint64_t(0x5A5A5A5B) << 32;
        bucket = ttBucket();
    }

    /// A bucket as text: "-" an empty slot, "F8" another position's entry
    /// of depth 8 written at age 0, "O4dx" the current position's of depth 4
    /// with d2d4 (-: no move) and an exact bound (l: lower, u: upper).
    void fill(const char *text) {
        std::istringstream tokens(text);
        std::string token;
        for (int i = 0; tokens >> token; i++)
            if (token != "-") ttWrite(bucket[i], entryOf(foreign, G1F3, 10, std::atoi(token.c_str() + 1), 0, BOUND_EXACT));
    }
    std::string show() {
        std::string shown;
        for (int i = 0; i < TT_BUCKET_ENTRIES; i++) {
            TTEntry entry = ttRead(bucket[i]);
            char token[16] = "-";
            if (!ttMatches(entry) && (bucket[i].check || bucket[i].data))
                std::snprintf(token, sizeof token, "F%d", entry.depth);
            else if (ttMatches(entry))
                std::snprintf(token, sizeof token, "O%d%c%c", entry.depth,
                              entry.move ? text(unpackMove(entry.move))[0] : '-', "?xl?u"[entry.flags & 7]);
            shown += i ? " " : "";
            shown += token;
        }
        return shown;
    }
};

TEST_F(TableTest, StoresKeepTheDeepestAndNewestResultsInFront) {
    // S: a search result with the move d2d4, R: the root's store. (What the
    // bench's node count cannot tell: the age, and the root's places.)
    struct Case { const char *what; int age; const char *before; char store; int depth; const char *after; };
    for (Case c : {Case{"another position's deeper entry stays in front", 0, "F6 - -", 'S', 4, "F6 O4dx -"},
                   Case{"unless it has aged", 2, "F6 - -", 'S', 4, "O4dx F6 -"},
                   Case{"a shallow result goes behind deeper ones", 0, "F8 F7 F6", 'S', 3, "F8 F7 O3dx"},
                   Case{"the root moves the old entry to its place", 0, "F1 - -", 'R', 3, "O3dx - F1"},
                   Case{"or goes to its own place behind a deep one", 0, "F20 - -", 'R', 3, "F20 O3dx -"}}) {
        SCOPED_TRACE(c.what);
        ttClear();
        mainThread.ttAge = int16_t(c.age);
        fill(c.before);
        if (c.store == 'S')
            ttStore(bucket, D2D4 | MF_PAWN | MF_DOUBLE, 10, c.depth, BOUND_EXACT, false);
        else
            ttStoreRoot(D2D4, 10, c.depth, BOUND_EXACT, false);
        EXPECT_EQ(show(), c.after);
        // A probe finds the position where the table shows it.
        std::string after = c.after;
        TTEntry found;
        TTSlot *slot = c.store == 'R' ? ttProbeRoot(&found) : ttProbe(bucket, &found);
        EXPECT_EQ(slot, bucket + std::count(after.begin(), after.begin() + after.find('O'), ' '));
    }
}

TEST_F(TableTest, SlotKeepsEveryFieldAndATornSlotMatchesNoPosition) {
    // Two threads writing one slot at once may leave the key word of one
    // write beside the data word of the other: such a slot must match
    // neither position, whether the two differ in the key or in the data.
    uint64_t own = pos.hashKey, other = own ^ uint64_t(1) << 40;
    Move e7e8q = (12 | 4 << 6) | Move(QUEEN) << 16;
    auto fields = [](const TTEntry &e) {
        return std::tuple(e.keyHigh, e.keyMid, e.keyLow16, e.move, e.score, e.age, e.depth, e.flags);
    };
    struct Case { TTEntry first, second; };
    for (Case c : {Case{entryOf(own, E2E4, 10, 4, 22, BOUND_EXACT), entryOf(own, E2E4, 55, 4, 22, BOUND_EXACT)},
                   Case{entryOf(own, D2D4, -9998, 63, 799, BOUND_UPPER | MATE_THREAT),
                        entryOf(own, D2D4, -9998, -1, 799, BOUND_UPPER | MATE_THREAT)},
                   Case{entryOf(own, e7e8q, 32767, 127, 32767, BOUND_LOWER),
                        entryOf(own, G1F3, 32767, 127, 32767, BOUND_LOWER)},
                   Case{entryOf(own, 0, -32768, -1, -1, 0), entryOf(other, G1F3, -300, 2, 0, BOUND_LOWER)}}) {
        SCOPED_TRACE(c.second.score);
        TTSlot first{}, second{};
        ttWrite(first, c.first);
        ttWrite(second, c.second);
        EXPECT_EQ(fields(ttRead(first)), fields(c.first));
        EXPECT_EQ(fields(ttRead(second)), fields(c.second));
        for (uint64_t key : {own, other}) {
            pos.hashKey = key;
            EXPECT_FALSE(ttMatches(ttRead(TTSlot{first.check, second.data})));
            EXPECT_FALSE(ttMatches(ttRead(TTSlot{second.check, first.data})));
        }
    }
}

}  // namespace
