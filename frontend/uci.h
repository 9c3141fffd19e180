// The UCI protocol.
#pragma once

#include "board/types.h"

/// Handles one UCI command (the lower-case command word; its arguments come
/// from nextToken). Runs from the main loop and from inside a search.
void uciCommand(const char *word);

/// Reads a coordinate move ("e2e4", "e7e8q") of the current position into a
/// Move with the flags the generators give it; castling may be written as
/// the king's move (e1g1) or as the king moving onto its own rook (e1h1).
/// False when the text names no piece or no promotion piece. Legality is
/// not tested.
bool parseCoordMove(const char *text, Move *move);
