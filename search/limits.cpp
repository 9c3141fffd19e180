// The limits of the next search.
#include "search/limits.h"

#include <algorithm>

#include "engine/settings.h"

SearchLimits searchLimits;

void clearSearchLimits() {
    searchLimits.nodes = 0;
    searchLimits.depth = 0;
    searchLimits.mateMoves = 0;
    searchLimits.untilStop = false;
    searchLimits.gameMove = false;
    searchLimits.rootMoveCount = 0;
}

bool rootMoveSearched(Move move) {
    if (searchLimits.rootMoveCount == 0) return true;
    // Moves are compared by their squares and promotion piece, the part of a
    // move that names it whatever flags it carries.
    const Move *end = searchLimits.rootMoves + searchLimits.rootMoveCount;
    const Move *begin = searchLimits.rootMoves;
    return std::any_of(begin, end, [move](Move listed) { return ((listed ^ move) & 0xF0FFF) == 0; });
}

int searchDepthLimit() {
    int depth = timeControl.maxDepth;
    return searchLimits.depth > 0 ? std::min(depth, searchLimits.depth) : depth;
}

bool mateWithinLimit(int score) {
    // A mate in n moves scores SCORE_BOUND - (2n - 1).
    return searchLimits.mateMoves > 0 && score > MATE_REPORT && SCORE_BOUND + 1 - score <= 2 * searchLimits.mateMoves;
}
