// The one position the engine works on, held two ways at once: a byte per
// square and occupancy masks, from which the nearest occupied square along
// any line is read.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>

#include "board/castling.h"
#include "board/tables.h"
#include "board/types.h"

/// Plies the undo stack and the check-state history can hold.
constexpr int MAX_GAME_PLY = 800;

/// Search plies: per-ply tables have this many rows.
constexpr int MAX_PLY = 64;

/// Most pseudo-legal moves one position can have: fifteen pieces that move
/// like queens (27 squares each) and a king with two castlings.
constexpr int MAX_MOVES_PER_PLY = 15 * 27 + 10;

/// The shared move list holds the lists of every ply of a search path.
constexpr int MOVE_LIST_SIZE = MAX_PLY * MAX_MOVES_PER_PLY;

/// What makeMove saves so that unmakeMove can restore the position. A null
/// move writes only move = 0, capturedType = 6, epSquare, fiftyCount and a
/// zero low half of hashKey.
struct UndoRecord {
    Move move;
    uint8_t capturedType;  // type taken on the to-square, 6 if it was empty
    uint8_t castleRights;
    int8_t epSquare;
    uint8_t fiftyCount;
    uint64_t hashKey;
    uint32_t pawnKey;
};

struct Position {
    uint8_t board[65];  // piece code per square; board[64] stays EMPTY
    uint8_t sideToMove;
    uint8_t otherSide;     // always sideToMove ^ 1
    uint8_t castleRights;  // 1 white short, 2 white long, 4 black short, 8 black long
    int8_t epSquare;       // square an en-passant capture lands on, -1 for none
    uint8_t fiftyCount;    // plies since the last capture, pawn move or null move
    uint64_t hashKey;
    uint32_t pawnKey;
    uint8_t pieceCount[2][6];
    uint16_t pieceTotal;
    int16_t material[2];  // knights, bishops, rooks and queens only
    uint8_t kingSquare[2];
    // Per side and file (file f at index f + 1), bit r set when that side has
    // a pawn on row r; indices 0 and 9 stay 0 for neighbour-file lookups.
    uint8_t pawnFileRanks[2][10];
    uint64_t occupied;
    uint64_t sideOccupied[2];
    uint64_t typeOccupied[2][6];  // per side and type: the squares of those pieces
    int16_t gamePly;  // moves made since set-up; index of the next undo record
    uint8_t ply;      // moves made since the root of the current search
    UndoRecord undoStack[MAX_GAME_PLY];
    // Per game ply: checking square of the side to move (low byte, 64 when not
    // in check), bit 15 set for a double check.
    int16_t checkState[MAX_GAME_PLY];
    MoveEntry moveList[MOVE_LIST_SIZE];
    // The moves generated at search ply p are moveList[moveListStart[p] ..
    // moveListStart[p + 1]).
    uint32_t moveListStart[MAX_PLY + 1];
    // The castling rights the position was set up with, by right (bit
    // number of castleRights); fixed until the next set-up.
    CastleRight castling[4];
    // castleRights & castleMask[from] & castleMask[to] is what a move keeps:
    // the squares of the kings and castling rooks clear their rights.
    uint8_t castleMask[64];
};

/// Each thread has its own position: the front end and the main search
/// thread share the main thread's, and every helper search thread searches
/// a copy of it.
extern constinit thread_local Position pos;

constexpr int NO_EP_SQUARE = -1;
constexpr int16_t NOT_IN_CHECK = 64;
constexpr int16_t DOUBLE_CHECK = int16_t(0x8000);

/// The set-up description setupPosition builds from: side and type per
/// square, 6 for an empty square. They hold the standard start position
/// except while a FEN position is being set up.
extern std::array<uint8_t, 64> setupColour;
extern std::array<uint8_t, 64> setupType;

/// Builds the position from setupColour/setupType, White to move, all
/// castling rights of standard chess (kings on e1 and e8, rooks in the
/// corners), no en-passant square, game and search ply 0.
void setupPosition();

/// Restores setupColour/setupType to the standard start position.
void resetSetupArrays();

/// The first occupied square from `square` (occupied or not, 64 for off the
/// board) in direction d, or 64 when the line is empty to the edge. It is
/// read from the occupancy mask whenever asked rather than kept in a table,
/// whose rows would cost every move and every take-back up to sixteen
/// neighbour updates.
inline int nearest(int square, Direction d) {
    uint64_t line = rayMask[square][d] & pos.occupied;
    // Even directions lead to lower-numbered squares, odd ones to higher.
    return d & 1 ? lowestSquareOf(line) : highestSquareOf(line);
}

/// Marks a newly occupied square in the occupancy masks.
inline void linkSquare(int square, int side) {
    assert(!(pos.occupied & squareBit[square]));
    pos.sideOccupied[side] |= squareBit[square];
    pos.occupied |= squareBit[square];
}

/// Clears a vacated square from the occupancy masks.
inline void unlinkSquare(int square, int side) {
    assert(pos.occupied & squareBit[square]);
    pos.sideOccupied[side] &= squareClear[square];
    pos.occupied &= squareClear[square];
}

/// Recomputes every derived field of the position from board and compares:
/// returns a description of the first discrepancy, or nullptr when the
/// position is consistent.
const char *positionFault();

/// The checking square of the side to move, 64 when it is not in check.
inline int checkingSquare() { return pos.checkState[pos.gamePly] & 0xFF; }
inline bool inCheck() { return checkingSquare() < 64; }
inline bool inDoubleCheck() { return (pos.checkState[pos.gamePly] & DOUBLE_CHECK) != 0; }

inline bool isEmpty(int square) { return pos.board[square] == EMPTY; }
inline bool isPieceOf(int square, int side) { return pieceSide(pos.board[square]) == side; }

/// True when the castling right is held and the squares it needs are empty.
inline bool castlingPathIsOpen(int right) {
    return (pos.castleRights >> right & 1) && !(pos.occupied & pos.castling[right].mustBeEmpty);
}
