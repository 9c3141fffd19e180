// What the search prints while it runs, and the periodic poll through which
// it watches the clock and the input.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "search/state.h"
#include "search/tt.h"

/// Room for a thinking line of 64 moves in standard algebraic notation
/// (at most 8 characters each with the separating blank) and its header.
constexpr int THINKING_LINE_SIZE = 1024;

/// Builds the thinking line of pvTable[0] (lengthened from the table up to
/// `depth` moves), the first line of a search that keeps several, and
/// prints it when thinking output is on; with depth <= 0 prints the last
/// line again. `bound` (BOUND_LOWER, BOUND_UPPER) marks a UCI score that is
/// only a bound.
void printPV(int depth, int score, uint8_t bound = BOUND_EXACT);

/// The score as UCI shows it: "cp" and the score, or "mate" and the moves
/// to mate (negative when the engine is mated). Returns the kind.
const char *uciScore(int score, int *value);

/// Nodes per second of the running search after `elapsed` milliseconds of
/// it (one clock reading serves a whole line); 0 before a millisecond passed.
uint32_t nodesPerSecond(uint32_t elapsed);

/// Milliseconds since the search started.
uint32_t searchElapsedMs();

/// Prints a line of moves from the root as line `lineNumber` of the search:
/// under UCI an info line with every field, in xboard, with thinking output
/// on, a thinking line of that depth. A line that is no longer legal in the
/// position ends at its first illegal move.
void printLine(int lineNumber, int depth, int score, const Move *line, uint8_t bound);

/// An iteration's score fell outside its window: xboard with thinking output
/// on shows "++" (fail high) or "--" (fail low); UCI shows a fail low as the
/// last iteration's line with `score` as its upper bound.
void printWindowFail(bool high, int depth, int score);

/// Called every 1024 nodes. On the main thread: stops the search once the
/// node budget is spent, and every 8192 nodes checks the clock and the
/// input, handles a ponder hit, and abandons the search when it must stop.
/// On a helper: see pollHelper.
void pollSearch();

/// Counts a node of the running search and calls the poll every 1024.
inline void countNode() {
    if ((++thisThread->nodeCount & 0x3FF) == 0) pollSearch();
}
