// Positions whose tablebase values the engine proves with its own move
// generator: the check that a table file follows this engine's indexing.
#pragma once

#include <cstdint>

/// One proven position: its FEN and its table value (win in n moves
/// 32767 - n, loss in n moves n - 32766).
struct TbProvenPosition {
    char fen[96];
    int32_t value;
};

/// Fills `out` with up to `capacity` positions of table `table` with `side`
/// to move (white as the first-named side): positions where the side to
/// move is mated, mates in one, or is mated in one whatever it plays. Found
/// from a fixed sequence of placements, the same on every run. Uses and
/// restores the global position. Returns how many were found.
int tbProvenPositions(int table, int side, TbProvenPosition *out, int capacity);
