// The transposition table and the quiescence table.
#pragma once

#include <cassert>
#include <cstdint>

#include "board/position.h"
#include "board/types.h"
#include "engine/settings.h"

constexpr uint8_t BOUND_EXACT = 1;
constexpr uint8_t BOUND_LOWER = 2;  // score >= beta
constexpr uint8_t BOUND_UPPER = 4;  // score <= alpha
constexpr uint8_t MATE_THREAT = 8;

/// One search result as the search reads and writes it. The packed move
/// holds from (bits 0-5), to (bits 6-11) and the promotion type (bits
/// 12-14); 0 is none.
struct TTEntry {
    uint32_t keyHigh;   // bits 32-63 of hashKey
    uint16_t keyLow16;  // bits 0-15 of hashKey
    uint16_t move;
    int16_t score;
    int16_t age;  // ttAge when stored
    int8_t depth;
    uint8_t flags;     // bound in bits 0-2, MATE_THREAT in bit 3
    uint16_t keyMid;   // bits 16-31 of hashKey
};
static_assert(sizeof(TTEntry) == 16);

/// How an entry is kept in the shared tables: every field but the key
/// packed into one 64-bit data word, and the position's hashKey XOR-ed with
/// that word. Search threads read and write both words as separate relaxed
/// atomics, so two writers may leave a slot with the words of different
/// results; its key then no longer decodes to either position's hashKey,
/// and the slot matches no position.
struct TTSlot {
    uint64_t check;  // hashKey ^ data
    uint64_t data;
};
static_assert(sizeof(TTSlot) == 16);

constexpr int TT_BUCKET_ENTRIES = 3;
/// The table of a fresh engine: 65536 buckets, 3 MB.
constexpr uint8_t DEFAULT_TT_SHIFT = 16;
constexpr int QUIESCE_BUCKETS = 2048;
constexpr int QUIESCE_BUCKET_ENTRIES = 2;

/// 2^(32 - ttShift) buckets of three entries; null when not allocated.
extern TTSlot *ttTable;
/// 2048 buckets of two entries; exists only alongside ttTable.
extern TTSlot *quiesceTable;

/// ttShift for a table of at most `bytes` bytes: the largest power of two
/// of 48-byte buckets not above bytes / 48, and at least 512 buckets.
uint8_t ttShiftForBytes(uint64_t bytes);

/// Number of buckets of a table with the given shift.
constexpr uint64_t ttBucketsForShift(uint8_t shift) { return uint64_t(1) << (32 - shift); }

/// Allocates a zero-filled ttTable of the given shift and, if that succeeds,
/// the quiescence table. On failure the previous tables stay as they were and
/// false is returned.
bool ttAllocate(uint8_t shift);

/// Releases both tables.
void ttRelease();

/// Zero-fills ttTable and quiesceTable when they exist.
void ttClear();

/// Called before each search: when the game phase changed (updateEvalPhase),
/// the stored scores were made with the other weights, and both tables and
/// the pawn hash are cleared.
void checkPhaseChange();

/// How full the table is with results of the running search, per mille:
/// the share of the first entries that hold one stamped with its age.
int ttHashfull();

/// Packs a move into the entry's 16-bit form: from, to, promotion type.
constexpr uint16_t packMove(Move move) {
    return uint16_t((move & 0xFFF) | (movePromotion(move) & 7) << 12);
}

/// Widens a packed move back to from | to << 6 | promotion << 16, without
/// flag bits (completeMove adds them).
constexpr Move unpackMove(uint16_t packed) { return Move(packed & 0xFFF) | Move(packed >> 12 & 7) << 16; }

/// A snapshot of the entry kept in a slot.
TTEntry ttRead(const TTSlot &slot);

/// Writes an entry (with its key fields) into a slot.
void ttWrite(TTSlot &slot, const TTEntry &entry);

/// True when the entry holds the current position.
bool ttMatches(const TTEntry &entry);

/// An entry's worth: its depth less one for every game ply since it was
/// written.
int ttWorth(const TTEntry &entry);

/// The three-entry bucket of the current position.
inline TTSlot *ttBucket() {
    assert(ttTable);
    uint32_t index = uint32_t(pos.hashKey) >> options.ttShift;
    return ttTable + uint64_t(index) * TT_BUCKET_ENTRIES;
}

/// The two-entry quiescence bucket of the current position.
inline TTSlot *quiesceBucket() {
    uint32_t index = (uint32_t(pos.hashKey) >> 16) & (QUIESCE_BUCKETS - 1);
    return quiesceTable + index * QUIESCE_BUCKET_ENTRIES;
}

/// Starts loading the bucket that begins at `bucket`, `bytes` long, into the
/// cache while other work goes on; a bucket may straddle two cache lines.
inline void prefetchBucket(const TTSlot *bucket, int bytes) {
    __builtin_prefetch(bucket);
    __builtin_prefetch(reinterpret_cast<const char *>(bucket) + bytes - 1);
}

/// Prefetches the current position's bucket of the main table, for a probe
/// that follows soon.
inline void ttPrefetch() { prefetchBucket(ttBucket(), TT_BUCKET_ENTRIES * sizeof(TTSlot)); }

/// Prefetches the current position's quiescence bucket, when the table
/// exists.
inline void quiescePrefetch() {
    if (quiesceTable) prefetchBucket(quiesceBucket(), QUIESCE_BUCKET_ENTRIES * sizeof(TTSlot));
}

/// Interior probe: the first slot of the bucket holding the current
/// position, with its entry copied to *found; nullptr when none does.
TTSlot *ttProbe(TTSlot *bucket, TTEntry *found);

/// Interior store at the end of a node. failLow (best <= the loop-start
/// alpha) keeps the move of an entry that already held the position.
void ttStore(TTSlot *bucket, Move best, int16_t score, int depth, uint8_t flags, bool failLow);

/// Store after a null-move cut-off, into the probed slot only.
void ttStoreNullMove(TTSlot *slot, int16_t score, int depth);

/// Root probe: entry 0 when it matches, else entry 1 + (keyHigh & 1); the
/// entry is copied to *found. Returns the slot or nullptr.
TTSlot *ttProbeRoot(TTEntry *found);

/// Root store at the end of searchRoot.
void ttStoreRoot(Move best, int16_t score, int depth, uint8_t bound, bool failLow);

/// Quiescence probe: entry 0, then entry 1 of the position's bucket, copied
/// to *found; false when the table is missing or neither matches.
bool quiesceProbe(TTEntry *found);

/// Quiescence store: the old entry 0 moves to entry 1 unless it held the
/// position, then entry 0 is written.
void quiesceStore(Move best, int16_t score, uint8_t bound);
