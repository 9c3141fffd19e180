// Endgame tablebase access.
#pragma once

#include <cstdint>

/// Negative: discovery runs at the next tbInit; 0: no tables available;
/// positive: the largest number of men for which tables were found.
extern int8_t tbState;

/// Runs table discovery when tbState is negative and a path is configured,
/// and returns the new state.
int8_t tbInit();

/// Releases the block cache and closes the table files; no tables are then
/// available until the next tbInit.
void tbRelease();

/// Looks the current position up: returns 1 and stores its score (from the
/// side to move's point of view, mate distance counted from the search root)
/// when found, 0 when it is not.
int tbProbe(int16_t *score);
