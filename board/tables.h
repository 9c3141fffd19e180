// Constant board geometry, built at compile time, and the bit-scan helpers
// that go with the occupancy masks.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "board/types.h"

// Mask bit order: square s is bit 63 - s, so a8 is the most significant bit
// and h1 the least significant one.

/// The mask bit of a square, for masks built at compile time (squareBit
/// holds the same values as a table).
constexpr uint64_t bitOfSquare(int square) { return uint64_t(1) << (63 - square); }

/// The lowest-numbered square of a mask (its highest set bit), 64 if empty.
inline int lowestSquareOf(uint64_t mask) { return std::countl_zero(mask); }

/// The highest-numbered square of a mask (its lowest set bit), 64 if empty.
inline int highestSquareOf(uint64_t mask) { return mask ? 63 - std::countr_zero(mask) : 64; }

/// The neighbour of a square in direction d, or 64 off the board.
extern const std::array<std::array<int8_t, 8>, 64> stepSquare;

/// Knight destinations in the order s-15, s+15, s-6, s+6, s-17, s+17, s-10,
/// s+10, leaving out those off the board; ended by -1.
extern const std::array<std::array<int8_t, 9>, 64> knightTargets;

/// All squares from s in direction d to the edge, s excluded; empty for
/// s = 64, off the board.
extern const std::array<std::array<uint64_t, 8>, 65> rayMask;

extern const std::array<uint64_t, 64> squareBit;
extern const std::array<uint64_t, 64> squareClear;

/// The direction d with b in rayMask[a][d], or NO_DIRECTION (also for a == b).
extern const std::array<std::array<Direction, 64>, 64> lineDirection;

/// Piece values by type; entry 6 values the empty target square of an
/// en-passant capture as a pawn.
extern const std::array<int16_t, 8> pieceValue;

/// 1 << row of the square.
extern const std::array<uint8_t, 64> rowBit;

/// Empty squares a slider sees along a line, indexed by its nearest blockers
/// on the two sides of that line (the one toward lower squares first, 64 at
/// the edge). Index 0 is the -9/+9 diagonal, 1 the file, 2 the -7/+7
/// diagonal, 3 the rank.
extern const std::array<std::array<std::array<int8_t, 4>, 65>, 65> lineMobility;

/// Squares on the -9/+9 diagonal ([0]) and on the -7/+7 diagonal ([1])
/// through a square, the square itself excluded.
extern const std::array<std::array<uint8_t, 2>, 64> diagonalSquares;

/// King-zone relation of a square t to a king on k: for the first direction
/// d (any for kingZoneAny, the diagonals for kingZoneDiagonal) whose ray from t meets
/// the king's zone (k and its neighbours),
///
///   bits 15..8  the zone square on that ray nearest to t
///   bits  7..4  the direction d
///   bits  3..0  the king distance between t and k
///
/// and 0xFFFF when no direction qualifies (so it reads as distance 15).
using KingZoneTable = std::array<std::array<uint16_t, 64>, 64>;
extern const KingZoneTable kingZoneAny;
extern const KingZoneTable kingZoneDiagonal;

constexpr int zoneSquare(uint16_t entry) { return entry >> 8; }
constexpr Direction zoneDirection(uint16_t entry) { return Direction((entry >> 4) & 15); }
constexpr int zoneDistance(uint16_t entry) { return entry & 15; }
