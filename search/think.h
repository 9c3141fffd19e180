// Choosing the engine's move: the main thread's iterative deepening under a
// clock, with the time decision, the ponder hit and the abort point.
#pragma once

#include <cstdint>

/// Thrown by the poll to leave every active node at once; think catches it
/// at its abort point and takes back the moves of the search path.
struct SearchAbandoned {};

/// Searches the current position and leaves the move to play in
/// pvTable[0][0] (0 when there is none), the expected reply in
/// pvTable[0][1] and the score in previousScore.
void think();

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
