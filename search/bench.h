// The "bench" command: a fixed set of positions searched to a fixed depth,
// whose total node count is the engine's regression signature.
#pragma once

#include <cstdint>

/// Depth of "bench" without an argument.
constexpr int BENCH_DEFAULT_DEPTH = 9;

/// Number of built-in bench positions.
int benchPositionCount();

/// FEN of bench position i.
const char *benchPosition(int i);

/// Searches every bench position to `depth` (the default when not above 0)
/// with cleared tables, no clock and no thinking output, restores the game,
/// and returns the total node count; *elapsed receives the milliseconds.
uint64_t benchNodes(int depth, uint32_t *elapsed);

/// The console command: runs the bench and prints "Nodes searched: N" and
/// "Nodes/second: M".
void runBench(int depth);
