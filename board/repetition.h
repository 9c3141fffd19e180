// Repetition counting over the game history.
#pragma once

#include <cstdint>

#include "board/types.h"

/// Earlier positions of the game that match the current one, looking back
/// no further than the last capture, pawn move or null move.
int16_t repetitionCount();

/// True when `move` can be made and leads to a position the game has had
/// before; the position is left as it was.
bool moveRepeatsPosition(Move move);
