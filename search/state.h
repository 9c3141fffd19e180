// The state the search routines share, and that the front end reads after a
// search or while one runs (the xboard "." command, the UCI bestmove).
// Every search thread has its own copy of all of it: the front end reads the
// main thread's, and helper threads write only their own.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

/// Best score of the last search, from the side to move's point of view.
extern constinit thread_local int16_t previousScore;

/// Principal variation per ply: pvTable[p][p .. pvLength[p] - 1] is the line
/// found at ply p. pvTable[0][0] is the move to play, pvTable[0][1] the
/// expected reply.
extern constinit thread_local Move pvTable[MAX_PLY][MAX_PLY];
extern constinit thread_local uint8_t pvLength[MAX_PLY];

/// Copy of pvTable[0] (0-terminated) after the last completed iteration.
extern constinit thread_local Move savedPv[MAX_PLY];

/// Last completed iteration, and the iteration in progress.
extern constinit thread_local int16_t lastDepth;
extern constinit thread_local int16_t iterationDepth;

/// Nodes visited by the current search (searchRoot, alphaBeta and quiesce).
extern constinit thread_local uint32_t nodeCount;

/// Deepest ply reached by the quiescence search in the current iteration.
extern constinit thread_local int16_t selDepth;

/// Root counters: moves generated, moves taken from the list so far plus
/// one, and moves not yet found illegal.
extern constinit thread_local int16_t rootMoveCount;
extern constinit thread_local int16_t rootMoveNumber;
extern constinit thread_local int16_t rootLegalCount;

/// The root move being searched (the xboard analysis status shows it).
extern constinit thread_local Move rootMove;

/// Root aspiration window of the iteration in progress.
extern constinit thread_local int16_t alphaWindow;
extern constinit thread_local int16_t betaWindow;

/// 0; 1 while re-searching after a fail high; -1 after a fail low.
extern constinit thread_local int8_t windowFail;

/// Best root score of the iteration in progress, -SCORE_BOUND when none yet.
extern constinit thread_local int16_t currentScore;

/// Score of the last completed iteration.
extern constinit thread_local int16_t iterationScore;

/// Set by searchRoot when the root has no move or is a fifty-move draw.
extern constinit thread_local bool rootAbort;

/// Set while the search follows the previous iteration's principal variation.
extern constinit thread_local bool followPv;

/// Game ply at which the current search started: the table's age stamp.
extern constinit thread_local int16_t ttAge;

/// Material of the side to move minus the opponent's at the last search.
extern constinit thread_local int16_t rootMaterialDiff;

/// Largest number of men for which the tree probes the tablebases; -2 at a
/// drawn tablebase root, where only drawing root moves are searched.
extern constinit thread_local int8_t tbLimit;

/// Most men for which the tree probes the Syzygy tables, fixed when the
/// search starts.
extern constinit thread_local int8_t syzygyLimit;

/// Time budget of the current move, in centiseconds: the normal time, the
/// part of the own clock never touched, and time counted as already spent.
extern constinit thread_local int32_t targetTime;
extern constinit thread_local int32_t safetyMargin;
extern constinit thread_local int32_t timeCredit;

/// The side to move at the root of the running search.
inline int rootSide() { return pos.sideToMove ^ (pos.ply & 1); }
