// Who attacks a square, the check state of the side to move and the
// check-threat test. Attacks ignore pins and whose turn it is.
#pragma once

#include <cstdint>

#include "board/types.h"

/// Per side, the two directions that lead from a square to the squares from
/// which a pawn of that side attacks it.
constexpr Direction PAWN_ATTACK_DIRECTION[2][2] = {{SOUTH_WEST, SOUTH_EAST}, {NORTH_WEST, NORTH_EAST}};

/// One piece of `side` attacking the square (occupied or empty), or 64.
int findAttacker(int square, int side);

/// Pieces of `side` attacking the square, counting sliders and
/// pawn-backed bishops and queens lined up behind an attacker.
int countAttackers(int square, int side);

/// (White attackers - Black attackers) of the square, occupied or empty,
/// with the same lining-up rule, negated for Black.
int attackBalance(int square, int side);

/// Check state of the side to move: the checking square (64 when not in
/// check), with bit 15 set for a double check.
int16_t computeCheckState();

/// True when the opponent of kingSide has a (pseudo-legal) move giving check
/// to kingSide's king; with safeOnly, only checks from squares the opponent
/// also controls count.
bool checkThreat(int kingSide, bool safeOnly);
