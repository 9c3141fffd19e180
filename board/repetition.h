// Repetition counting over the game history.
#pragma once

#include <cstdint>

/// Earlier positions of the game that match the current one, looking back
/// no further than the last capture, pawn move or null move.
int16_t repetitionCount();
