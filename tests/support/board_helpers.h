// Helpers for tests that set up positions and play moves by their text.
#pragma once

#include "board/types.h"

/// A square by its name ("e4"); a8 = 0 ... h1 = 63.
constexpr int sq(const char *name) { return (8 - (name[1] - '0')) * 8 + (name[0] - 'a'); }

/// Sets the position from FEN, failing the current test if it is refused.
void setFen(const char *fen);

/// The generated move of the current position (evasions in check) whose
/// coordinate text is `text` ("e2e4", "e7e8q"), or 0 when there is none.
Move findMove(const char *text);

/// Plays blank-separated coordinate moves; fails the test and returns false
/// at the first one that is not a legal move.
bool playMoves(const char *moves);

/// For the life of the object the game is Chess960 (chess960 set): FEN
/// castling letters may name any rook, and castling is written as the
/// king moving onto its rook.
struct Chess960Game {
    Chess960Game();
    ~Chess960Game();
};
