// King safety: enemy pieces bearing on the king's zone, the pawn shelter and
// storm in front of the king, and the king's place in the endgame.
#pragma once

#include <cstdint>

#include "eval/pawns.h"

/// How close a side's queen stands to the enemy king (reach) and how far the
/// queen is from guarding its own king (guard); both 127 without a queen.
struct QueenGuard {
    int8_t reach;
    int8_t guard;
};

/// What the piece pass learns about the threats to the kings.
struct KingThreats {
    int attackerCount[2];  // per side: the attacks it brings to the enemy king
    QueenGuard queenGuard[2];
};

/// Danger to a king by the number of attacks on its zone.
extern const int16_t kingAttackWeight[16];

/// Clears the counts before the piece pass.
void resetKingThreats(KingThreats &threats);

/// Counts the attacks of a knight, bishop, rook or queen of side on square
/// against the enemy king's zone, batteries included.
void countKingAttack(int type, int square, int side, KingThreats &threats);

/// Records a queen's reach toward the enemy king and its guard of its own.
void recordQueenGuard(int square, int side, KingThreats &threats);

/// White king's middlegame table value minus its shelter and storm penalty,
/// cached in the pawn hash record.
int whiteKingShelter(PawnHashEntry &entry);

/// The same for the Black king.
int blackKingShelter(PawnHashEntry &entry);

/// King safety of both sides, White minus Black.
int evalKingSafety(PawnHashEntry &entry, const KingThreats &threats);
