// The transposition and quiescence tables: sizing, allocation, probes and
// stores.
#include "search/tt.h"

#include <atomic>
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "board/position.h"
#include "engine/settings.h"
#include "eval/evaluate.h"
#include "search/state.h"

/// Entries read to estimate how full the table is: a quick sample, and a
/// per mille of it at once.
constexpr int HASHFULL_SAMPLE = 1000;
static_assert(HASHFULL_SAMPLE <= 512 * TT_BUCKET_ENTRIES, "the smallest table holds the sample");

TTSlot *ttTable = nullptr;
TTSlot *quiesceTable = nullptr;
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
    auto *table = static_cast<TTSlot *>(std::calloc(entries, sizeof(TTSlot)));
    if (!table) return false;
    auto *quiesce = static_cast<TTSlot *>(std::calloc(QUIESCE_BUCKETS * QUIESCE_BUCKET_ENTRIES, sizeof(TTSlot)));
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
    if (ttTable) std::memset(ttTable, 0, ttEntryCount * sizeof(TTSlot));
    if (quiesceTable) std::memset(quiesceTable, 0, QUIESCE_BUCKETS * QUIESCE_BUCKET_ENTRIES * sizeof(TTSlot));
}

void checkPhaseChange() {
    if (updateEvalPhase()) ttClear();
}

int ttHashfull() {
    if (!ttTable) return 0;
    int used = 0;
    for (int i = 0; i < HASHFULL_SAMPLE; i++) {
        TTEntry entry = ttRead(ttTable[i]);
        if ((entry.flags & 7) && entry.age == thisThread->ttAge) used++;
    }
    return used * 1000 / HASHFULL_SAMPLE;
}

// Slots are shared by every search thread; each word is read and written
// whole, without ordering, so that a slot never holds a value that is half
// one write and half another.

static uint64_t loadWord(const uint64_t &word) {
    return std::atomic_ref<uint64_t>(const_cast<uint64_t &>(word)).load(std::memory_order_relaxed);
}

static void storeWord(uint64_t &word, uint64_t value) {
    std::atomic_ref<uint64_t>(word).store(value, std::memory_order_relaxed);
}

static uint64_t packData(const TTEntry &entry) {
    return uint64_t(entry.move) | uint64_t(uint16_t(entry.score)) << 16 | uint64_t(uint16_t(entry.age)) << 32 |
           uint64_t(uint8_t(entry.depth)) << 48 | uint64_t(entry.flags) << 56;
}

static uint64_t entryKey(const TTEntry &entry) {
    return uint64_t(entry.keyHigh) << 32 | uint64_t(entry.keyMid) << 16 | entry.keyLow16;
}

/// The entry of a slot whose two words were loaded as `key` and `data`.
static TTEntry unpackEntry(uint64_t key, uint64_t data) {
    TTEntry entry;
    entry.keyHigh = uint32_t(key >> 32);
    entry.keyMid = uint16_t(key >> 16);
    entry.keyLow16 = uint16_t(key);
    entry.move = uint16_t(data);
    entry.score = int16_t(data >> 16);
    entry.age = int16_t(data >> 32);
    entry.depth = int8_t(data >> 48);
    entry.flags = uint8_t(data >> 56);
    return entry;
}

TTEntry ttRead(const TTSlot &slot) {
    uint64_t data = loadWord(slot.data);
    return unpackEntry(loadWord(slot.check) ^ data, data);
}

/// True when the slot holds the current position; only then is its entry
/// unpacked into *found, from the same load as the key test.
static bool slotHolds(const TTSlot &slot, TTEntry *found) {
    uint64_t key = pos.hashKey;
    uint64_t data = loadWord(slot.data);
    if ((loadWord(slot.check) ^ data) != key) return false;
    *found = unpackEntry(key, data);
    return true;
}

void ttWrite(TTSlot &slot, const TTEntry &entry) {
    uint64_t data = packData(entry);
    storeWord(slot.check, entryKey(entry) ^ data);
    storeWord(slot.data, data);
}

// Probing and storing. A bucket is three consecutive entries; the search
// keeps the deepest, most recent results in front and pushes older ones back.

bool ttMatches(const TTEntry &entry) {
    return entry.keyHigh == uint32_t(pos.hashKey >> 32) && entry.keyMid == uint16_t(pos.hashKey >> 16) &&
           entry.keyLow16 == uint16_t(pos.hashKey);
}

int ttWorth(const TTEntry &entry) { return entry.depth - (thisThread->ttAge - entry.age); }

TTSlot *ttProbe(TTSlot *bucket, TTEntry *found) {
    for (int i = 0; i < TT_BUCKET_ENTRIES; i++)
        if (slotHolds(bucket[i], found)) return &bucket[i];
    return nullptr;
}

/// Gives the entry the current position's key.
static void setCurrentKey(TTEntry &entry) {
    entry.keyHigh = uint32_t(pos.hashKey >> 32);
    entry.keyMid = uint16_t(pos.hashKey >> 16);
    entry.keyLow16 = uint16_t(pos.hashKey);
}

/// True when a result of this depth may overwrite the entry.
static bool mayReplace(const TTEntry &entry, int depth) {
    return depth >= ttWorth(entry) || (ttMatches(entry) && depth >= entry.depth);
}

/// Writes the current position's result over `old`, the slot's entry; the
/// move of an entry that already held the position survives a fail-low
/// result.
static void writeEntry(TTSlot &slot, const TTEntry &old, Move move, int16_t score, int depth, uint8_t flags,
                       bool failLow) {
    TTEntry entry;
    entry.move = failLow && ttMatches(old) ? old.move : packMove(move);
    setCurrentKey(entry);
    entry.score = score;
    entry.depth = int8_t(depth);
    entry.age = thisThread->ttAge;
    entry.flags = flags;
    ttWrite(slot, entry);
}

// An entry pushed back is written again as it was read; a torn one stays
// torn, as its key and data words are written back unchanged.

void ttStore(TTSlot *bucket, Move best, int16_t score, int depth, uint8_t flags, bool failLow) {
    TTEntry first = ttRead(bucket[0]);
    if (mayReplace(first, depth)) {
        if (!ttMatches(first)) {
            ttWrite(bucket[2], ttRead(bucket[1]));
            ttWrite(bucket[1], first);
        }
        writeEntry(bucket[0], first, best, score, depth, flags, failLow);
        return;
    }
    if (ttMatches(first)) return;  // a better result for this position is already in front
    TTEntry second = ttRead(bucket[1]);
    if (mayReplace(second, depth)) {
        if (!ttMatches(second)) ttWrite(bucket[2], second);
        writeEntry(bucket[1], second, best, score, depth, flags, failLow);
    } else if (!ttMatches(second)) {
        writeEntry(bucket[2], ttRead(bucket[2]), best, score, depth, flags, failLow);
    }
}

void ttStoreNullMove(TTSlot *slot, int16_t score, int depth) {
    TTEntry old = ttRead(*slot);
    if (mayReplace(old, depth)) writeEntry(*slot, old, 0, score, depth, BOUND_LOWER, false);
}

TTSlot *ttProbeRoot(TTEntry *found) {
    TTSlot *bucket = ttBucket();
    if (slotHolds(bucket[0], found)) return &bucket[0];
    TTSlot *second = &bucket[1 + (uint32_t(pos.hashKey >> 32) & 1)];
    return slotHolds(*second, found) ? second : nullptr;
}

void ttStoreRoot(Move best, int16_t score, int depth, uint8_t bound, bool failLow) {
    TTSlot *bucket = ttBucket();
    TTEntry first = ttRead(bucket[0]);
    if (mayReplace(first, depth)) {
        // The old front entry moves to the slot its own key selects.
        if (!ttMatches(first)) ttWrite(bucket[1 + (first.keyHigh & 1)], first);
        writeEntry(bucket[0], first, best, score, depth, bound, failLow);
        return;
    }
    TTSlot &slot = bucket[1 + (uint32_t(pos.hashKey >> 32) & 1)];
    TTEntry old = ttRead(slot);
    if (mayReplace(old, depth)) writeEntry(slot, old, best, score, depth, bound, false);
}

bool quiesceProbe(TTEntry *found) {
    if (!quiesceTable) return false;
    TTSlot *bucket = quiesceBucket();
    return slotHolds(bucket[0], found) || slotHolds(bucket[1], found);
}

void quiesceStore(Move best, int16_t score, uint8_t bound) {
    if (!quiesceTable) return;
    TTSlot *bucket = quiesceBucket();
    // The quiescence search keeps no depth or age: the slot's stay as they are.
    TTEntry entry = ttRead(bucket[0]);
    if (!ttMatches(entry)) ttWrite(bucket[1], entry);
    setCurrentKey(entry);
    entry.move = packMove(best);
    entry.score = score;
    entry.flags = bound;
    ttWrite(bucket[0], entry);
}
