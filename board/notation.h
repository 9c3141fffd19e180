// Conversions between the position or moves and text: FEN, coordinate
// notation and standard algebraic notation.
#pragma once

#include "board/types.h"

/// True in a Chess960 (Fischer Random) game: a FEN's castling letters may
/// name rooks on any files for a king on any file (X-FEN, Shredder-FEN),
/// and coordinate text writes castling as the king moving onto its own rook
/// ("e1h1", "b1a1"). Otherwise castling rights need the king on the e-file
/// and the rook in the corner, and castling is written as the king's move
/// ("e1g1"). Set by the front end.
extern bool chess960;

/// Sets the position from FEN text (the first four fields). Returns false,
/// leaving the position unchanged, when the placement is malformed or not
/// playable (not one king a side, a pawn on the first or last rank, more
/// pawns and promoted pieces a side than its eight pawns, or the side not
/// to move in check). The castling field is read as X-FEN (K, Q,
/// k, q name the outermost rook on that side of the king, a file letter an
/// inner rook) or Shredder-FEN (file letters only); a missing field means
/// KQkq. Castling rights are kept only with king and rook at home (see
/// chess960), an en-passant square only behind a pawn that could just have
/// double-stepped.
bool readFen(const char *text);

/// Writes the current position as FEN into buffer (at least 90 bytes), its
/// castling rights in X-FEN: KQkq for the outermost rooks, so standard
/// positions look as in plain FEN, a file letter for an inner rook.
void writeFen(char *buffer);

/// Coordinate text of a move ("e2e4", "e7e8Q"), castling as chess960 says;
/// a static buffer.
const char *moveToText(Move move);

/// Coordinate text as UCI wants it, with a lower-case promotion letter
/// ("e7e8q"); a static buffer of its own.
const char *moveToUci(Move move);

/// Standard algebraic text of a move in the current position, before it is
/// made, without check sign ("Nfd2", "exd6", "O-O"); a static buffer.
const char *moveToSan(Move move);
