// Iterative deepening, as every search thread runs it: the set-up of the
// thread's search, one iteration within an aspiration window, and what a
// completed iteration leaves for the next. The main thread (think) and the
// helpers (threads) differ only in the depths they search and what they
// report.
#pragma once

#include <cstdint>

/// Half width of the aspiration window around the previous score.
constexpr int ASPIRATION = 41;

/// Starts this thread's search: no history or killers, no nodes or
/// tablebase hits counted, no iteration completed.
void deepenBegin();

/// Centres this thread's aspiration window on `score`, or opens it fully
/// when several lines are searched (each needs its exact score), and
/// forgets any failure of the last window.
void deepenWindow(int16_t score);

/// One iteration to `depth`: the root searched within the aspiration
/// window and, when the score falls outside it, again with the full
/// window. Returns the score; rootAbort is set when the root has no move
/// to search.
int16_t deepenIteration(int depth);

/// Records a completed iteration: its depth, score and line, and the
/// window for the next one.
void deepenComplete(int depth, int16_t score);

/// The line of the last completed iteration, saved by deepenComplete,
/// back in pvTable[0].
void deepenRestoreLine();

/// Saves pvTable[0] as the line of the last completed iteration.
void deepenSaveLine();
