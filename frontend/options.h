// The settings a user may change, one routine each, so that a setting means
// the same whatever changes it: the UCI options, xboard's option, memory and
// egtpath commands, and the settings file.
#pragma once

#include <cstdint>

/// Largest transposition table a user may ask for, in megabytes.
constexpr uint64_t MAX_HASH_MB = 131072;

/// OwnBook: both opening books on or off. Switching on opens them again,
/// and the book is asked again for the next moves.
void setOwnBook(bool on);

/// An on/off option kept in optionFlags (book learning, resigning,
/// pondering).
void setOptionFlag(uint16_t flag, bool on);

/// MultiPV: the lines shown in analysis, kept in 8 bits; a number outside
/// 1 to 5 gives 1.
void setMultiPv(long lines);

/// SyzygyProbeLimit: the most men probed, brought into 0 to 7.
void setSyzygyProbeLimit(long men);

/// NalimovCache: the tablebase cache in megabytes, kept in 8 bits; outside
/// 1 to 64 it becomes 2. With a Nalimov path set, the tables are looked for
/// again (after the search, when one runs).
void setNalimovCache(long megabytes);

/// NalimovPath: folders of Nalimov tables separated by "," or ";", blanks
/// inside kept. A folder that is missing or no folder is named in one
/// message; no tables are found in it.
void setNalimovPath(const char *path);

/// Move Overhead: milliseconds kept back per move, brought into 0 to
/// MAX_MOVE_OVERHEAD_MS.
void setMoveOverhead(long milliseconds);

/// Hash: the transposition table gets the largest power of two of buckets
/// that fits in `megabytes` (at most MAX_HASH_MB). When the memory cannot be
/// had, the old table stays and a message says so.
void setHashMegabytes(uint64_t megabytes);

/// xboard "memory": `megabytes` for all hash tables together, the
/// transposition and quiescence tables and each search thread's pawn hash.
void setHashMemory(uint64_t megabytes);

/// Clear Hash: empties the transposition, quiescence and pawn hash tables.
void clearHashTables();

/// Changes of the tables wait while a search runs, as its threads use them;
/// this applies them once it has ended.
void applyWaitingTableChanges();
