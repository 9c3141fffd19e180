// The transposition table and the quiescence table.
#pragma once

#include <cstdint>

#include "board/types.h"

constexpr uint8_t BOUND_EXACT = 1;
constexpr uint8_t BOUND_LOWER = 2;  // score >= beta
constexpr uint8_t BOUND_UPPER = 4;  // score <= alpha
constexpr uint8_t MATE_THREAT = 8;

/// One stored search result. The packed move holds from (bits 0-5), to
/// (bits 6-11) and the promotion type (bits 12-14); 0 is none.
struct TTEntry {
    uint32_t keyHigh;   // bits 32-63 of hashKey
    uint16_t keyLow16;  // bits 0-15 of hashKey
    uint16_t move;
    int16_t score;
    int16_t age;  // ttAge when stored
    int8_t depth;
    uint8_t flags;  // bound in bits 0-2, MATE_THREAT in bit 3
};
static_assert(sizeof(TTEntry) == 16);

constexpr int TT_BUCKET_ENTRIES = 3;
constexpr int QUIESCE_BUCKETS = 2048;
constexpr int QUIESCE_BUCKET_ENTRIES = 2;

/// 2^(32 - ttShift) buckets of three entries; null when not allocated.
extern TTEntry *ttTable;
/// 2048 buckets of two entries; exists only alongside ttTable.
extern TTEntry *quiesceTable;

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
