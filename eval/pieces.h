// The piece pass: positional values, mobility, rook and bishop terms, and
// the king-attack counts gathered on the way.
#pragma once

#include "eval/king.h"

/// Empty squares a slider on square sees along one line (0 the -9/+9
/// diagonal, 1 the file, 2 the -7/+7 diagonal, 3 the rank).
int lineMobilityOf(int square, int line);

/// Penalty for a bishop of side shut in on the enemy's side of the board by
/// enemy pawns (for example a white bishop on a7 against pawns b6 and c7).
int trappedBishopPenalty(int square, int side);

/// The rook's bonus for its file and rank (open files, doubled rooks, the
/// 7th rank, pins toward the king, and being hemmed in), from its side's view.
int rookBonus(int square, int side);

/// Walks White's pieces, then Black's (kings excluded). Returns the score
/// of the pass, White minus Black; sets mobilityScore (White minus Black)
/// and fills threats with the attacks on the kings and the queen guards.
int evalPieces(int &mobilityScore, KingThreats &threats);
