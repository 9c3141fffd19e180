// The state the search routines share, and that the front end reads after a
// search or while one runs (the xboard "." command, the UCI bestmove).
// Every search thread has its own record of all of it: the front end reads
// the main thread's, and helper threads write only their own.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

/// tbLimit at a drawn tablebase root, where only drawing root moves are
/// searched: below any number of men, so that the tree below never probes.
constexpr int8_t TB_LIMIT_DRAWN_ROOT = -2;

/// Everything one search thread writes while it searches, apart from its
/// copy of the position (board/position.h) and its pawn hash.
struct SearchThread {
    /// Best score of the last search, from the side to move's point of view.
    int16_t previousScore;

    /// Principal variation per ply: pvTable[p][p .. pvLength[p] - 1] is the line
    /// found at ply p. pvTable[0][0] is the move to play, pvTable[0][1] the
    /// expected reply.
    Move pvTable[MAX_PLY][MAX_PLY];
    uint8_t pvLength[MAX_PLY];

    /// Copy of pvTable[0] (0-terminated) after the last completed iteration.
    Move savedPv[MAX_PLY];

    /// Last completed iteration, and the iteration in progress.
    int16_t lastDepth;
    int16_t iterationDepth;

    /// Nodes visited by the current search (searchRoot, alphaBeta and quiesce).
    uint64_t nodeCount;

    /// Deepest ply reached by the quiescence search in the current iteration.
    int16_t selDepth;

    /// Root counters: moves generated, moves taken from the list so far plus
    /// one, and moves not yet found illegal.
    int16_t rootMoveCount;
    int16_t rootMoveNumber;
    int16_t rootLegalCount;

    /// The root move being searched (the xboard analysis status shows it).
    Move rootMove;

    /// Root aspiration window of the iteration in progress.
    int16_t alphaWindow;
    int16_t betaWindow;

    /// 0; 1 while re-searching after a fail high; -1 after a fail low.
    int8_t windowFail;

    /// Best root score of the iteration in progress, -SCORE_BOUND when none yet.
    int16_t currentScore;

    /// Score of the last completed iteration.
    int16_t iterationScore;

    /// Set by searchRoot when the root has no move or is a fifty-move draw.
    bool rootAbort;

    /// Set while the search follows the previous iteration's principal variation.
    bool followPv;

    /// Game ply at which the current search started: the table's age stamp.
    int16_t ttAge;

    /// Material of the side to move minus the opponent's at the last search.
    int16_t rootMaterialDiff;

    /// Largest number of men for which the tree probes the tablebases;
    /// TB_LIMIT_DRAWN_ROOT at a drawn tablebase root.
    int8_t tbLimit;

    /// Most men for which the tree probes the Syzygy tables, fixed when the
    /// search starts.
    int8_t syzygyLimit;

    /// Time budget of the current move, in centiseconds: the normal time, the
    /// part of the own clock never touched, and time counted as already spent.
    int32_t targetTime;
    int32_t safetyMargin;
    int32_t timeCredit;

    /// History counters indexed by from + 64 * to (the low 12 bits of a move).
    int32_t history[4096];

    /// Two killer moves per search ply (full 32-bit moves).
    Move killers[MAX_PLY][2];

    /// Exchange test cursors: for each direction the next piece on that ray
    /// from the target square, and per side the stage reached and the
    /// knight-list index.
    int8_t rayCursor[8];
    int8_t exchangeStage[2];
    int8_t knightIndex[2];
};

/// The main search thread's record: the one think fills and the front end
/// reads.
extern SearchThread mainThread;

/// The record of the search thread running this code: mainThread on the
/// front end's thread, a helper's own record on a helper thread.
extern constinit thread_local SearchThread *thisThread;

/// True on the main search thread (and the front end's), false on a helper.
inline bool isMainSearchThread() { return thisThread == &mainThread; }

/// The side to move at the root of the running search.
inline int rootSide() { return pos.sideToMove ^ (pos.ply & 1); }
