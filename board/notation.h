// Conversions between the position or moves and text: FEN, coordinate
// notation and standard algebraic notation.
#pragma once

#include "board/types.h"

/// Sets the position from FEN text (the first four fields). Returns false,
/// leaving the position unchanged, when the placement is malformed or not
/// playable (not one king a side, a pawn on the first or last rank, or the
/// side not to move in check). Castling rights are kept only with king and
/// rook at home, an en-passant square only behind a pawn that could just
/// have double-stepped.
bool readFen(const char *text);

/// Writes the current position as FEN into buffer (at least 90 bytes).
void writeFen(char *buffer);

/// Coordinate text of a move ("e2e4", "e7e8Q"); a static buffer.
const char *moveToText(Move move);

/// Coordinate text as UCI wants it, with a lower-case promotion letter
/// ("e7e8q"); a static buffer of its own.
const char *moveToUci(Move move);

/// Standard algebraic text of a move in the current position, before it is
/// made, without check sign ("Nfd2", "exd6", "O-O"); a static buffer.
const char *moveToSan(Move move);
