// The castling records of the position: built when a position is set up,
// read by the generators, makeMove and the move text.
#include "board/castling.h"

#include <algorithm>

#include "board/position.h"
#include "board/tables.h"

/// The squares of one rank from a to b, both included.
static uint64_t rankSpan(int a, int b) {
    uint64_t span = 0;
    for (int square = std::min(a, b); square <= std::max(a, b); square++) span |= squareBit[square];
    return span;
}

/// The record of a right with its king and rook on these squares.
static CastleRight describeCastling(int right, int king, int rook) {
    int kingTarget = castleKingTarget(right), rookTarget = castleRookTarget(right);
    bool standard = column(king) == 4 && column(rook) == ((right & 1) ? 0 : 7);
    CastleRight record;
    record.move = Move(king | (standard ? kingTarget : rook) << 6) | MF_CASTLE;
    uint64_t paths = rankSpan(king, kingTarget) | rankSpan(rook, rookTarget);
    record.mustBeEmpty = paths & squareClear[king] & squareClear[rook];
    record.rookSquare = int8_t(rook);
    return record;
}

void clearCastling() {
    pos.castleRights = 0;
    for (CastleRight &record : pos.castling) record = {0, 0, NO_SQUARE};
    std::fill(std::begin(pos.castleMask), std::end(pos.castleMask), uint8_t(15));
}

void grantCastling(int right, int kingSquare, int rookSquare) {
    pos.castling[right] = describeCastling(right, kingSquare, rookSquare);
    pos.castleMask[kingSquare] &= uint8_t(~(1 << right));
    pos.castleMask[rookSquare] &= uint8_t(~(1 << right));
    pos.castleRights |= uint8_t(1 << right);
}

Move castlingMove(int side, int wing) { return pos.castling[castleRight(side, wing)].move; }

Move castlingMoveNamed(int side, uint8_t rights, int from, int to) {
    for (int wing : {SHORT_SIDE, LONG_SIDE}) {
        int right = castleRight(side, wing);
        const CastleRight &record = pos.castling[right];
        if ((rights >> right & 1) && from == moveFrom(record.move) &&
            (to == moveTo(record.move) || to == record.rookSquare))
            return record.move;
    }
    return 0;
}

Move castlingMoveFor(int from, int to) { return castlingMoveNamed(pos.sideToMove, pos.castleRights, from, to); }

bool castlingIsOpen(Move move) {
    int right = castleRightOfMove(move);
    return right >> 1 == pos.sideToMove && move == pos.castling[right].move && castlingPathIsOpen(right);
}

int castlingRookSquare(Move move) {
    const CastleRight &record = pos.castling[castleRightOfMove(move)];
    return ((move ^ record.move) & 0xFFF) == 0 ? record.rookSquare : NO_SQUARE;
}

/// True when king and rook of a held right stand on their side's first
/// rank, the rook on the right's side of the king.
static bool holdsItsPieces(int right, int king, int rook) {
    int side = right >> 1, homeRow = side == WHITE ? 7 : 0;
    bool rookOnItsSide = (right & 1) ? column(rook) < column(king) : column(rook) > column(king);
    return row(king) == homeRow && row(rook) == homeRow && rookOnItsSide && pos.board[king] == makePiece(side, KING) &&
           pos.board[rook] == makePiece(side, ROOK);
}

const char *castlingFault() {
    uint8_t mask[64];
    std::fill(std::begin(mask), std::end(mask), uint8_t(15));
    for (int right = 0; right < 4; right++) {
        const CastleRight &record = pos.castling[right];
        if (!record.move) {
            if (pos.castleRights >> right & 1) return "a castling right without its record";
            continue;
        }
        int king = moveFrom(record.move), rook = record.rookSquare;
        if (rook < 0 || rook > 63 || row(rook) != row(king)) return "a castling record without its rook";
        CastleRight expected = describeCastling(right, king, rook);
        if (record.move != expected.move || record.mustBeEmpty != expected.mustBeEmpty)
            return "a castling record differs from its king and rook squares";
        if ((pos.castleRights >> right & 1) && !holdsItsPieces(right, king, rook))
            return "a castling right without its king and rook at home";
        mask[king] &= uint8_t(~(1 << right));
        mask[rook] &= uint8_t(~(1 << right));
    }
    if (!std::equal(std::begin(mask), std::end(mask), std::begin(pos.castleMask)))
        return "castleMask differs from the castling records";
    return nullptr;
}
