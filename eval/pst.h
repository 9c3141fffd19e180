// Piece-square tables: positional values per side, piece type and square.
#pragma once

#include <cstdint>

/// Positional value of a piece of a side and type on a square. Filled by
/// initPieceSquareTables; the move generator reads it to order quiet moves.
extern int8_t pieceSquare[2][6][64];
