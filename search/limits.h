// What an interface may ask of one search besides its clock: a node budget,
// a depth, a mate to find, and the root moves to search. The front end sets
// them before the search starts; every search thread only reads them.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

struct SearchLimits {
    uint64_t nodes;  // budget of all threads together; 0 = none
    int depth;       // deepest iteration; 0 = as timeControl.maxDepth allows
    int mateMoves;   // a mate in this many moves or fewer ends the search; 0 = none
    bool untilStop;  // the search waits for the command that ends it, as analysis does
    bool gameMove;   // the move is for a game the engine plays, which the strength limit may weaken
    int rootMoveCount;  // 0 = every legal move of the root
    Move rootMoves[MAX_MOVES_PER_PLY];
};

extern SearchLimits searchLimits;

/// No limits: the clock and timeControl.maxDepth alone govern the search.
void clearSearchLimits();

/// True when `move` is one of the root moves to search (any move when no
/// list was given).
bool rootMoveSearched(Move move);

/// The deepest iteration the search may run.
int searchDepthLimit();

/// True when `score` is a mate for the side to move within the moves that
/// the mate search asks for.
bool mateWithinLimit(int score);
