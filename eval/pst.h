// Piece-square tables: positional values per side, piece type and square.
#pragma once

#include <cstdint>

/// Positional value of a piece of a side and type on a square. Filled by
/// initPieceSquareTables; the move generator reads it to order quiet moves.
/// The rook entries stay 0, and the king entries hold the middlegame table.
extern int8_t pieceSquare[2][6][64];

/// Where the king belongs once the enemy has little material left: the
/// centre. White's view, square 0 = a8; Black reads square ^ 56.
extern const int8_t kingEndgameTable[64];

/// Fills pieceSquare from the base tables (Black mirrored top to bottom) and
/// sets evalPhase to PHASE_UNKNOWN, so that the next search clears the tables.
void initPieceSquareTables();
