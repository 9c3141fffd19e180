// Playing and taking back moves on the global position.
#pragma once

#include "board/position.h"
#include "board/tables.h"
#include "board/types.h"

/// True when moving the piece on `from` to `to` takes it off the line on
/// which it is pinned to its king (on `king`, of `side`) and so exposes it.
inline bool leavesPin(int from, int to, int king, int side) {
    Direction dk = lineDirection[from][king];
    return dk != NO_DIRECTION && nearest(from, dk) == king && lineDirection[to][king] != dk &&
           isLineAttacker(pos.board[nearest(from, opposite(dk))], dk, side ^ 1);
}

/// Plays a pseudo-legal move (as a generator or text parser built it) and
/// computes the new check state. Returns false, with the position unchanged,
/// when the move is illegal. Does not test that a non-king move answers a
/// single check: in check, moves must come from genEvasions.
bool makeMove(Move move);

/// Takes back the last move or null move.
void unmakeMove();

/// Passes the turn; the side to move must not be in check.
void makeNullMove();
