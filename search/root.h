// The root of the search: every root move searched in turn, progress
// output, and the store of several principal variations for analysis.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

/// Most principal variations a search keeps.
constexpr int MAX_MULTI_PV = 256;

/// The lines of a search that keeps several, best first: scores
/// (-SCORE_BOUND = empty) and 0-terminated move lists starting with the root
/// move. After each completed iteration they hold that depth's best root
/// moves with their exact scores; line 0 is the line in pvTable[0], whose
/// first move is played.
extern int16_t multiPvScores[MAX_MULTI_PV];
extern Move multiPvLines[MAX_MULTI_PV][MAX_PLY];

/// Lines the running search keeps: the MultiPV setting in every UCI search
/// and in xboard analysis, else 1. Fixed when the search starts, so that a
/// change applies from the next one.
extern int searchMultiPv;

/// Lines shown: the MultiPV setting where it applies, else 1. A strength
/// limit may keep more lines to choose from than it shows.
extern int shownMultiPv;

/// Empties the analysis lines.
void clearMultiPv();

/// Prints the stored lines of a completed iteration of `depth`, best first.
void printMultiPvLines(int depth);

/// Searches the root to `depth` inside (alpha, beta); fail-soft. Updates
/// pvTable[0] when a move raises alpha, and sets rootAbort when the root has
/// no legal move or is drawn by the fifty-move rule.
int16_t searchRoot(int16_t alpha, int16_t beta, int8_t depth);
