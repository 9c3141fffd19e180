// Choosing the engine's move: iterative deepening under a clock, with the
// time allocation, the time decision, the ponder hit and the abort point.
#pragma once

#include <cstdint>

/// Thrown by the poll to leave every active node at once; think catches it
/// at its abort point and takes back the moves of the search path.
struct SearchAbandoned {};

/// Half width of the aspiration window around the previous score.
constexpr int ASPIRATION = 41;

/// Searches the current position and leaves the move to play in
/// pvTable[0][0] (0 when there is none), the expected reply in
/// pvTable[0][1] and the score in previousScore.
void think();

/// Sets targetTime, moveTime and safetyMargin from the clocks.
void allocateTime();

/// Elapsed search time in centiseconds, pondering credit included.
int32_t searchElapsedCs();

/// The time limit the search may run to, given the elapsed time: 0 means
/// stop now. Long searches are allowed when the score drops.
int32_t searchTimeLimit(int32_t elapsed);

/// The clock test and the input check without the depth gate of
/// pollSearch: handles a ponder hit, and abandons the search (throws
/// SearchAbandoned) on a signal or when time is up.
void pollSignals();

/// Turns the running ponder search into a normal search.
void ponderHit();

/// Called on the main thread when the node budget is spent: leaves the
/// search as on a time-out (an analysis then waits for its end), once the
/// first iteration has found a move.
void stopAtNodeBudget();
