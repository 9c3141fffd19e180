// The root moves xboard leaves out.
#include "frontend/exclusions.h"

#include <cstdio>
#include <cstring>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/position.h"
#include "engine/searchflags.h"
#include "frontend/uci.h"
#include "search/limits.h"

/// Most moves whose state the list keeps: more than any position has.
constexpr int MAX_EXCLUSIONS = 256;

/// A move named by "exclude" (left out) or "include" (searched again), as
/// its coordinate text.
struct Exclusion {
    char move[8];
    bool excluded;
};

// The list, for the root position whose key rootKey holds: after "exclude
// all" every move is left out but those included since.
static uint64_t rootKey;
static bool allExcluded;
static Exclusion exclusions[MAX_EXCLUSIONS];
static int exclusionCount;

/// The key of the running search's root, or of the position when no search
/// runs: the first move of the search path was made from the root.
static uint64_t currentRootKey() { return pos.ply > 0 ? pos.undoStack[pos.gamePly - pos.ply].hashKey : pos.hashKey; }

void forgetExclusions() {
    allExcluded = false;
    exclusionCount = 0;
}

bool changeExclusions(bool exclude, const char *move) {
    if (!move) return false;
    uint64_t key = currentRootKey();
    if (key != rootKey) {
        forgetExclusions();
        rootKey = key;
    }
    if (!std::strcmp(move, "all")) {
        allExcluded = exclude;
        exclusionCount = 0;
        return true;
    }
    int i = 0;
    while (i < exclusionCount && std::strcmp(exclusions[i].move, move)) i++;
    if (i == MAX_EXCLUSIONS || std::strlen(move) >= sizeof exclusions[i].move) return false;
    if (i == exclusionCount) exclusionCount++;
    std::snprintf(exclusions[i].move, sizeof exclusions[i].move, "%s", move);
    exclusions[i].excluded = exclude;
    return true;
}

/// True when the list leaves `move` out; the last entry naming it counts.
static bool isExcluded(Move move) {
    bool excluded = allExcluded;
    for (int i = 0; i < exclusionCount; i++) {
        Move named;
        // Moves are compared by their squares and promotion piece.
        if (parseCoordMove(exclusions[i].move, &named) && ((named ^ move) & 0xF0FFF) == 0)
            excluded = exclusions[i].excluded;
    }
    return excluded;
}

void applyExclusions() {
    searchLimits.rootMoveCount = 0;
    if (rootKey != pos.hashKey || (!allExcluded && exclusionCount == 0)) return;
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        if (isExcluded(entry->move) || !makeMove(entry->move)) continue;
        unmakeMove();
        searchLimits.rootMoves[searchLimits.rootMoveCount++] = entry->move;
    }
    if (!analyzing) forgetExclusions();  // they were given for the next search only
}
