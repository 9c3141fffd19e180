// Castling with the king and rook on any files of the first rank. Standard
// chess is the case of the king on the e-file and the rooks in the corners;
// Chess960 (Fischer Random) starts from any other such arrangement. Either
// way the king ends on g1 and the rook on f1 (short side) or the king on c1
// and the rook on d1 (long side), rank 8 for Black, and a castling right
// names its rook.
#pragma once

#include <cstdint>

#include "board/types.h"

// Castling rights are the bits 1 << right of castleRights, with right =
// 2 * side + wing: 0 White short, 1 White long, 2 Black short, 3 Black long.
constexpr int SHORT_SIDE = 0;
constexpr int LONG_SIDE = 1;
constexpr int castleRight(int side, int wing) { return 2 * side + wing; }

/// The square castling puts the king on: g1 or c1, g8 or c8.
constexpr int castleKingTarget(int right) { return (right >= 2 ? 0 : 56) + ((right & 1) ? 2 : 6); }

/// The square castling puts the rook on: f1 or d1, f8 or d8.
constexpr int castleRookTarget(int right) { return (right >= 2 ? 0 : 56) + ((right & 1) ? 3 : 5); }

/// The right a castling move belongs to: its king stands on the first rank
/// of its side, and the long side is the one toward the a-file.
constexpr int castleRightOfMove(Move move) {
    return castleRight(row(moveFrom(move)) == 7 ? WHITE : BLACK,
                       moveTo(move) < moveFrom(move) ? LONG_SIDE : SHORT_SIDE);
}

/// The square the moving piece stands on once the move is made: the king's
/// new square for castling, the to-square otherwise.
constexpr int landingSquare(Move move) {
    return (move & MF_CASTLE) ? castleKingTarget(castleRightOfMove(move)) : moveTo(move);
}

/// One castling right as the position was set up with it. The right is lost
/// for good once its king or rook moves, so while it is held they stand
/// where this record puts them.
///
/// The move is written as the king's move to its target square when the
/// king stands on the e-file and the rook in the corner (e1g1, the move of
/// standard chess), and as the king's move onto its rook otherwise (f1h1,
/// g1h1, b1a1): so every castling move has from and to squares that no
/// other move of the position has.
struct CastleRight {
    Move move;             // 0 when the position was not set up with this right
    uint64_t mustBeEmpty;  // every square from king and rook to their targets, targets included,
                           // except the squares of the king and rook themselves
    int8_t rookSquare;     // NO_SQUARE without the right
};

/// Takes every castling right away: no right held, none recorded.
void clearCastling();

/// Gives the position a castling right with its king and rook on these
/// squares of the side's first rank (the rook on the wing's side of the
/// king): records the move, the squares it needs empty, and the squares
/// whose king or rook moving takes the right away.
void grantCastling(int right, int kingSquare, int rookSquare);

/// The castling move of `side` on `wing` as the generators write it,
/// whether or not the right is still held; 0 when the position never had
/// that right.
Move castlingMove(int side, int wing);

/// The castling move of `side` that the squares name, written as the
/// king's move to its target (e1g1) or onto its own rook (e1h1, as Chess960
/// interfaces write it); 0 when they name no castling right among `rights`.
Move castlingMoveNamed(int side, uint8_t rights, int from, int to);

/// The castling move of the side to move that the squares name, among the
/// rights it still holds; 0 when there is none.
Move castlingMoveFor(int from, int to);

/// True when `move` is the castling move of a right the side to move holds
/// (flags included) and the squares it needs are empty. Whether the king
/// crosses an attacked square is makeMove's test.
bool castlingIsOpen(Move move);

/// The square of the rook a castling move takes along, NO_SQUARE when the
/// move is none of the position's castling moves.
int castlingRookSquare(Move move);

/// Compares the castling records with the board: returns a description of
/// the first discrepancy, or nullptr.
const char *castlingFault();
