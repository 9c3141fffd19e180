// The transposition and quiescence tables: sizing, allocation, probes and
// stores.
#include "search/tt.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

#include "board/position.h"
#include "engine/settings.h"
#include "search/state.h"

TTEntry *ttTable = nullptr;
TTEntry *quiesceTable = nullptr;
static uint64_t ttEntryCount = 0;

uint8_t ttShiftForBytes(uint64_t bytes) {
    uint64_t wanted = bytes / 48;
    int log2Buckets = 9;  // 512 buckets at the least
    if (wanted >= 1024)
        while (log2Buckets < 31 && (uint64_t(1) << (log2Buckets + 1)) <= wanted) log2Buckets++;
    return uint8_t(32 - log2Buckets);
}

bool ttAllocate(uint8_t shift) {
    uint64_t entries = ttBucketsForShift(shift) * TT_BUCKET_ENTRIES;
    auto *table = static_cast<TTEntry *>(std::calloc(entries, sizeof(TTEntry)));
    if (!table) return false;
    auto *quiesce = static_cast<TTEntry *>(std::calloc(QUIESCE_BUCKETS * QUIESCE_BUCKET_ENTRIES, sizeof(TTEntry)));
    ttRelease();
    ttTable = table;
    ttEntryCount = entries;
    quiesceTable = quiesce;  // the search runs without it if this failed
    return true;
}

void ttRelease() {
    std::free(ttTable);
    std::free(quiesceTable);
    ttTable = nullptr;
    quiesceTable = nullptr;
    ttEntryCount = 0;
}

void ttClear() {
    if (ttTable) std::memset(ttTable, 0, ttEntryCount * sizeof(TTEntry));
    if (quiesceTable) std::memset(quiesceTable, 0, QUIESCE_BUCKETS * QUIESCE_BUCKET_ENTRIES * sizeof(TTEntry));
}

// Probing and storing. A bucket is three consecutive entries; the search
// keeps the deepest, most recent results in front and pushes older ones back.

static uint32_t keyHigh() { return uint32_t(pos.hashKey >> 32); }
static uint16_t keyLow16() { return uint16_t(pos.hashKey); }

bool ttMatches(const TTEntry &entry) { return entry.keyHigh == keyHigh() && entry.keyLow16 == keyLow16(); }

int ttWorth(const TTEntry &entry) { return entry.depth - (ttAge - entry.age); }

TTEntry *ttBucket() {
    assert(ttTable);
    uint32_t index = uint32_t(pos.hashKey) >> options.ttShift;
    return ttTable + uint64_t(index) * TT_BUCKET_ENTRIES;
}

TTEntry *ttProbe(TTEntry *bucket) {
    for (int i = 0; i < TT_BUCKET_ENTRIES; i++)
        if (ttMatches(bucket[i])) return &bucket[i];
    return nullptr;
}

/// True when a result of this depth may overwrite the entry.
static bool mayReplace(const TTEntry &entry, int depth) {
    return depth >= ttWorth(entry) || (ttMatches(entry) && depth >= entry.depth);
}

/// Writes the current position's result; the move of an entry that already
/// held the position survives a fail-low result.
static void writeEntry(TTEntry &entry, Move move, int16_t score, int depth, uint8_t flags, bool failLow) {
    if (!(failLow && ttMatches(entry))) entry.move = packMove(move);
    entry.keyHigh = keyHigh();
    entry.keyLow16 = keyLow16();
    entry.score = score;
    entry.depth = int8_t(depth);
    entry.age = ttAge;
    entry.flags = flags;
}

void ttStore(TTEntry *bucket, Move best, int16_t score, int depth, uint8_t flags, bool failLow) {
    TTEntry &first = bucket[0], &second = bucket[1], &third = bucket[2];
    if (mayReplace(first, depth)) {
        if (!ttMatches(first)) {
            third = second;
            second = first;
        }
        writeEntry(first, best, score, depth, flags, failLow);
    } else if (ttMatches(first)) {
        return;  // a better result for this position is already in front
    } else if (mayReplace(second, depth)) {
        if (!ttMatches(second)) third = second;
        writeEntry(second, best, score, depth, flags, failLow);
    } else if (!ttMatches(second)) {
        writeEntry(third, best, score, depth, flags, failLow);
    }
}

void ttStoreNullMove(TTEntry *slot, int16_t score, int depth) {
    if (mayReplace(*slot, depth)) writeEntry(*slot, 0, score, depth, BOUND_LOWER, false);
}

TTEntry *ttProbeRoot() {
    TTEntry *bucket = ttBucket();
    if (ttMatches(bucket[0])) return &bucket[0];
    TTEntry *second = &bucket[1 + (keyHigh() & 1)];
    return ttMatches(*second) ? second : nullptr;
}

void ttStoreRoot(Move best, int16_t score, int depth, uint8_t bound, bool failLow) {
    TTEntry *bucket = ttBucket();
    if (mayReplace(bucket[0], depth)) {
        // The old front entry moves to the slot its own key selects.
        if (!ttMatches(bucket[0])) bucket[1 + (bucket[0].keyHigh & 1)] = bucket[0];
        writeEntry(bucket[0], best, score, depth, bound, failLow);
        return;
    }
    TTEntry &slot = bucket[1 + (keyHigh() & 1)];
    if (mayReplace(slot, depth)) writeEntry(slot, best, score, depth, bound, false);
}

static TTEntry *quiesceBucket() {
    uint32_t index = (uint32_t(pos.hashKey) >> 16) & (QUIESCE_BUCKETS - 1);
    return quiesceTable + index * QUIESCE_BUCKET_ENTRIES;
}

TTEntry *quiesceProbe() {
    if (!quiesceTable) return nullptr;
    TTEntry *bucket = quiesceBucket();
    if (ttMatches(bucket[0])) return &bucket[0];
    return ttMatches(bucket[1]) ? &bucket[1] : nullptr;
}

void quiesceStore(Move best, int16_t score, uint8_t bound) {
    if (!quiesceTable) return;
    TTEntry *bucket = quiesceBucket();
    if (!ttMatches(bucket[0])) bucket[1] = bucket[0];
    TTEntry &entry = bucket[0];
    entry.keyHigh = keyHigh();
    entry.keyLow16 = keyLow16();
    entry.move = packMove(best);
    entry.score = score;
    entry.flags = bound;
}
