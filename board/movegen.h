// Pseudo-legal move generation into the current ply's move list. makeMove is
// the judge of legality; while in check, moves must come from genEvasions.
#pragma once

#include "board/position.h"
#include "board/types.h"

/// The move from `from` to `to` (promotion type or 0) with the flags the
/// generator gives it in the current position: capture, pawn, promotion,
/// double step, en passant, castling.
Move flaggedMove(int from, int to, int promotion);

/// Appends one move (four for a promotion): captures and promotions with
/// their ordering score (victim and attacker), quiet moves with 0, which
/// the search's move ordering replaces.
void addMove(int from, int to, int flags);

/// Every pseudo-legal move, castling and en passant included.
void genAllMoves();

/// Captures, en-passant captures and pawn pushes to the last row.
void genCaptures();

/// Non-captures except promotions, castling included; no scores.
void genQuietMoves();

/// Check evasions: captures of the checker, interpositions, king moves.
void genEvasions();

/// The moves of the position as the front end, book and tests want them:
/// genEvasions when the side to move is in check, else genAllMoves.
void genPositionMoves();

/// Generates the position's moves at the current ply and tells whether
/// `move` (with its flags) is one of them; legality is not tested.
bool isGeneratedMove(Move move);

/// First and one-past-last entries of the current ply's list.
inline MoveEntry *plyMovesBegin() { return pos.moveList + pos.moveListStart[pos.ply]; }
inline MoveEntry *plyMovesEnd() { return pos.moveList + pos.moveListStart[pos.ply + 1]; }
