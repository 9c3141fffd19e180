// Endgame tablebase access: Nalimov table files found in the directories of
// the tablebase path, read through a block cache.
#pragma once

#include <cstdint>

/// Negative: discovery runs at the next tbInit; 0: no tables available;
/// positive: the largest number of men for which tables were found.
extern int8_t tbState;

/// Whether each table side is checked, when it is registered, against
/// positions whose values the engine proves itself (quor.cfg EGTB_VERIFY).
extern bool tbVerify;

/// File activity, counted for the tests and the benchmark.
struct TbStats {
    uint32_t fileOpens;   // table files opened for probing
    uint32_t blockReads;  // blocks read from files into the cache
};
extern TbStats tbStats;

/// Runs table discovery when tbState is negative (or a discovery waits) and
/// a path is configured, and returns the new state. While a search runs it
/// changes nothing: the search keeps its tables.
int8_t tbInit();

/// Runs table discovery again for the configured path and cache size: at
/// once, or, while a search runs, at the first tbInit after it.
int8_t tbRediscover();

/// Releases the block cache and closes the table files; no tables are then
/// available until the next tbInit.
void tbRelease();

/// Looks the current position up: returns 1 and stores its score (from the
/// side to move's point of view, mate distance counted from the search root)
/// when found, 0 when it is not.
int tbProbe(int16_t *score);

/// The value at `index` of table `table` as stored for `side` to move,
/// read through the cache (a symmetric table keeps both sides in its white
/// file); 32767 when the side is not registered or the value is not there.
int32_t tbTableValue(int table, int side, uint64_t index);

/// The engine score of a table value at search ply `ply`, in 16-bit
/// arithmetic: a win in n moves is 32767 - n, a loss in n moves n - 32766,
/// 0 a draw.
int16_t tbScoreForValue(int32_t value, int ply);

/// The table value stored in one byte of a one-byte table; 32767 means that
/// the position has no value.
int32_t tbValueForByte(int8_t byte);
