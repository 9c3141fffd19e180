// Time allocation: how long the engine means to think on a move and how far
// it may go beyond that, from the clocks, the moves to the time control, the
// increment and the interface's lag, and how the score develops.
#pragma once
#include <cstdint>

/// Sets targetTime, moveTime and safetyMargin from the clocks.
void allocateTime();

/// Elapsed search time in centiseconds, pondering credit included.
int32_t searchElapsedCs();

/// The time limit the search may run to, given the elapsed time: 0 means
/// stop now. Long searches are allowed when the score drops.
int32_t searchTimeLimit(int32_t elapsed);
