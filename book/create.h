// Building the opening book from a PGN game collection, and reading the
// games' moves in standard algebraic notation.
#pragma once

#include "board/types.h"

/// Replays the first 25 moves of every game in the PGN file and writes the
/// positions reached, with their counts and results, as "QuorBook.bin".
/// Reports progress and errors on the output; the book must be closed.
void createBook(const char *pgnPath);

/// Reads a move in standard algebraic notation ("Nbd7", "exd8=Q+", "O-O")
/// in the current position into a Move with the generator's flags; false
/// when the text names no move. Legality is not tested.
bool parseSan(const char *token, Move *move);

