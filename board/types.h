// Basic encodings shared by every part of the engine: squares, sides, piece
// codes, directions, moves and scores.
#pragma once

#include <cstdint>

// Squares run from a8 = 0 to h1 = 63: square = (8 - rank) * 8 + file.
// White pawns advance toward lower square numbers.
//
//      a  b  c  d  e  f  g  h
//  8   0  1  2  3  4  5  6  7
//  7   8  9 10 11 12 13 14 15
//  ...
//  1  56 57 58 59 60 61 62 63
constexpr int NO_SQUARE = 64;

constexpr int WHITE = 0;
constexpr int BLACK = 1;

constexpr int PAWN = 0;
constexpr int KNIGHT = 1;
constexpr int BISHOP = 2;
constexpr int ROOK = 3;
constexpr int QUEEN = 4;
constexpr int KING = 5;
constexpr int NO_PIECE = 6;

// A board byte is side << 4 | type; an empty square holds side 6, type 6.
constexpr uint8_t EMPTY = 0x66;

constexpr const char *PIECE_LETTERS = "PNBRQK";

// The eight directions, named as White sees the board: NORTH toward the
// eighth rank (lower square numbers), EAST toward the h-file. Files and ranks
// come first, then the diagonals; they come in opposite pairs whose first
// member runs toward lower square numbers, so the opposite of d is d ^ 1.
enum Direction : int8_t {
    NORTH, SOUTH, WEST, EAST, NORTH_WEST, SOUTH_EAST, NORTH_EAST, SOUTH_WEST,
    NO_DIRECTION = -1  // no line: two squares on no common line, a check by no slider
};

/// The square delta of each direction.
constexpr int DIRECTION_DELTA[8] = {-8, +8, -1, +1, -9, +9, -7, +7};

/// The direction back along the same line.
constexpr Direction opposite(Direction d) { return Direction(d ^ 1); }

/// The next direction in the order above, for loops over a range of them.
constexpr Direction &operator++(Direction &d) { return d = Direction(d + 1); }

/// True for the four diagonal directions.
constexpr bool isDiagonal(Direction d) { return d >= NORTH_WEST; }

// Score scale: centipawns from the side to move's point of view. No score
// reaches SCORE_BOUND; a side mated at ply p scores p - SCORE_BOUND.
constexpr int SCORE_BOUND = 10000;
constexpr int MATE_REPORT = 9000;

// A tablebase win found at ply p scores TB_WIN_SCORE - p, a loss
// p - TB_WIN_SCORE: a band above every evaluation (which stays within
// EVAL_LIMIT) and below MATE_REPORT, so that it is never taken for a mate.
constexpr int TB_WIN_SCORE = 8800;
constexpr int EVAL_LIMIT = TB_WIN_SCORE - 100;

// Move, 32 bits:
//
//  31 30 | 29    28   27     26  25     24      | 23..20 | 19..16 | 15..12 | 11..6 | 5..0
//  0  0  | PROMO PAWN DOUBLE EP  CASTLE CAPTURE | 0      | promo  | 0      | to    | from
//
// The value 0 is "no move", and is what a null move records.
using Move = uint32_t;

constexpr Move MF_CAPTURE = 0x01000000;
constexpr Move MF_CASTLE = 0x02000000;
constexpr Move MF_EP = 0x04000000;
constexpr Move MF_DOUBLE = 0x08000000;
constexpr Move MF_PAWN = 0x10000000;
constexpr Move MF_PROMO = 0x20000000;

// The generators' flag bytes, shifted into the top byte of a Move.
constexpr int FLAG_CAPTURE = 1;
constexpr int FLAG_CASTLE = 2;
constexpr int FLAG_EP = 4;
constexpr int FLAG_DOUBLE = 8;
constexpr int FLAG_PAWN = 16;
constexpr int FLAG_PROMO = 32;

/// A move together with its ordering score.
struct MoveEntry {
    Move move;
    int32_t score;
};

constexpr int row(int square) { return square >> 3; }
constexpr int column(int square) { return square & 7; }
constexpr int moveFrom(Move move) { return move & 63; }
constexpr int moveTo(Move move) { return (move >> 6) & 63; }
constexpr int movePromotion(Move move) { return (move >> 16) & 15; }

constexpr int pieceSide(uint8_t code) { return code >> 4; }
constexpr int pieceType(uint8_t code) { return code & 15; }
constexpr uint8_t makePiece(int side, int type) { return uint8_t(side << 4 | type); }

/// The slider that moves along direction d: rooks on files and ranks, bishops on diagonals.
constexpr int sliderType(Direction d) { return isDiagonal(d) ? BISHOP : ROOK; }

/// True when the piece code is a queen, or the slider of direction d, of `side`.
constexpr bool isLineAttacker(uint8_t code, Direction d, int side) {
    return pieceSide(code) == side && (pieceType(code) == QUEEN || pieceType(code) == sliderType(d));
}

/// King distance between two squares.
constexpr int squareDistance(int a, int b) {
    int rows = row(a) > row(b) ? row(a) - row(b) : row(b) - row(a);
    int columns = column(a) > column(b) ? column(a) - column(b) : column(b) - column(a);
    return rows > columns ? rows : columns;
}
