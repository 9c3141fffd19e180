// Zobrist hashing: the key constants behind hashKey, pawnKey and the book's
// position keys.
#pragma once

#include <array>
#include <cstdint>

extern const std::array<uint64_t, 768> zobristKeys;

/// The key of White to move; every move and null move XORs it into hashKey.
constexpr uint64_t hashSeed = 0xC139B61D3DA793B1;

/// The key of a piece of a side and type on a square.
inline uint64_t pieceKey(int side, int type, int square) { return zobristKeys[(side * 6 + type) * 64 + square]; }
