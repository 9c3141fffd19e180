// Playing and taking back moves on the global position.
#pragma once

#include "board/types.h"

/// Plays a pseudo-legal move (as a generator or text parser built it) and
/// computes the new check state. Returns false, with the position unchanged,
/// when the move is illegal. Does not test that a non-king move answers a
/// single check: in check, moves must come from genEvasions.
bool makeMove(Move move);

/// Takes back the last move or null move.
void unmakeMove();

/// Passes the turn; the side to move must not be in check.
void makeNullMove();
