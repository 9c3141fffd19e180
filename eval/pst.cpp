// Base tables of the positional values, written from White's point of view
// with the 8th rank first.
#include "eval/pst.h"

#include <cstring>

#include "board/types.h"
#include "eval/evaluate.h"

int8_t pieceSquare[2][6][64];

namespace {

constexpr int8_t PAWN_TABLE[64] = {
    0, 0,  0,  0,   0,   0,  0,  0,   //
    5, 10, 15, 20,  20,  15, 10, 5,   //
    4, 8,  12, 16,  16,  12, 8,  4,   //
    3, 6,  9,  12,  12,  9,  6,  3,   //
    2, 4,  6,  8,   8,   6,  4,  2,   //
    1, 2,  3,  -8,  -8,  3,  2,  1,   //
    0, 0,  0,  -20, -20, 0,  0,  0,   //
    0, 0,  0,  0,   0,   0,  0,  0,   //
};

constexpr int8_t KNIGHT_TABLE[64] = {
    -7,  -6,  -5, -4, -4, -5, -6,  -7,   //
    -6,  -4,  0,  2,  2,  0,  -4,  -6,   //
    -5,  0,   10, 12, 12, 10, 0,   -5,   //
    -4,  0,   9,  12, 12, 9,  0,   -4,   //
    -5,  0,   8,  12, 12, 8,  0,   -5,   //
    -6,  0,   8,  8,  8,  8,  0,   -6,   //
    -8,  -4,  0,  0,  0,  0,  -4,  -8,   //
    -10, -10, -8, -8, -8, -8, -10, -10,  //
};

constexpr int8_t BISHOP_TABLE[64] = {
    -4, -2, -2, -2, -2, -2, -2, -4,  //
    -2, 2,  2,  2,  2,  2,  2,  -2,  //
    -2, 2,  6,  8,  8,  6,  2,  -2,  //
    -2, 2,  5,  8,  8,  5,  2,  -2,  //
    -2, 0,  4,  8,  8,  4,  0,  -2,  //
    -2, 0,  3,  4,  4,  3,  0,  -2,  //
    -2, 4,  0,  2,  2,  0,  4,  -2,  //
    -4, -4, -4, -4, -4, -4, -4, -4,  //
};

constexpr int8_t QUEEN_TABLE[64] = {
    -6, -3, 0, 0, 0, 0, -3, -6,  //
    -6, 0,  2, 2, 2, 2, 0,  -6,  //
    -6, 2,  6, 6, 6, 6, 2,  -6,  //
    -6, 2,  5, 8, 8, 5, 2,  -6,  //
    -4, 2,  4, 8, 8, 4, 2,  -4,  //
    -4, 2,  3, 4, 4, 3, 2,  -4,  //
    -4, 0,  2, 2, 2, 2, 0,  -4,  //
    0,  0,  0, 0, 0, 0, 0,  0,   //
};

// The middlegame king hides on the first rank, preferably on b1 or g1.
constexpr int8_t KING_TABLE[64] = {
    -40, -40, -40, -40, -40, -40, -40, -40,  //
    -40, -40, -40, -40, -40, -40, -40, -40,  //
    -40, -40, -40, -40, -40, -40, -40, -40,  //
    -40, -40, -40, -40, -40, -40, -40, -40,  //
    -32, -32, -32, -32, -32, -32, -32, -32,  //
    -16, -16, -16, -16, -16, -16, -16, -16,  //
    -4,  -6,  -8,  -8,  -8,  -8,  -6,  -4,   //
    -4,  0,   -4,  -8,  -8,  -8,  0,   -4,   //
};

}  // namespace

const int8_t kingEndgameTable[64] = {
    0,  5,  10, 15, 15, 10, 5,  0,   //
    5,  10, 15, 20, 20, 15, 10, 5,   //
    10, 15, 20, 25, 25, 20, 15, 10,  //
    15, 20, 25, 30, 30, 25, 20, 15,  //
    15, 20, 25, 30, 30, 25, 20, 15,  //
    10, 15, 20, 25, 25, 20, 15, 10,  //
    5,  10, 15, 20, 20, 15, 10, 5,   //
    0,  5,  10, 15, 15, 10, 5,  0,   //
};

void initPieceSquareTables() {
    static constexpr const int8_t *BASE_TABLE[6] = {PAWN_TABLE, KNIGHT_TABLE, BISHOP_TABLE,
                                                    nullptr,    QUEEN_TABLE,  KING_TABLE};
    std::memset(pieceSquare, 0, sizeof pieceSquare);
    for (int type = PAWN; type <= KING; type++) {
        if (!BASE_TABLE[type]) continue;  // rooks have no positional table
        for (int square = 0; square < 64; square++) {
            pieceSquare[WHITE][type][square] = BASE_TABLE[type][square];
            pieceSquare[BLACK][type][square] = BASE_TABLE[type][square ^ 56];
        }
    }
    evalPhase = PHASE_UNKNOWN;
}
