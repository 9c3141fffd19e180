// Making and unmaking moves. Every representation of the board is updated
// incrementally; legality of a non-king move is decided from nearest and
// lineDirection before anything changes, and the check state of the next
// position is derived from the moved piece and the vacated square.
#include "board/makemove.h"

#include <cassert>

#include "board/attacks.h"
#include "board/position.h"
#include "board/tables.h"
#include "board/zobrist.h"

#ifdef QUOR_CHECK_POSITION
#define ASSERT_POSITION_CONSISTENT() assert(positionFault() == nullptr)
#else
#define ASSERT_POSITION_CONSISTENT() ((void)0)
#endif

/// The square of the pawn taken by an en-passant capture landing on `to`.
static inline int enPassantVictim(int to, int mover) { return mover == WHITE ? to + 8 : to - 8; }

/// Castling before anything moves: the right is held and names this move,
/// the squares it needs are empty, and no square the king crosses on its way
/// to its target is attacked. A crossed square may hold the castling rook.
/// The target itself is tested once king and rook stand on their new squares,
/// because the rook may shield it before (a rook on b1 hides c1 from a1).
static bool castlingIsAllowed(Move move) {
    if (!castlingIsOpen(move)) return false;
    int king = moveFrom(move), target = castleKingTarget(castleRightOfMove(move)), enemy = pos.otherSide;
    Direction d = target > king ? EAST : WEST;
    for (int square = king; square != target;) {
        square = stepSquare[square][d];
        if (square == target) break;
        if (findAttacker(square, enemy) < 64) return false;
    }
    return true;
}

/// Adds a piece to, or takes it from, the square mask of its side and type.
static inline void togglePieceMask(int side, int type, int square) {
    pos.typeOccupied[side][type] ^= squareBit[square];
}

/// Moves a piece between two squares in the mask of its side and type, in
/// one update of the mask.
static inline void shiftPieceMask(int side, int type, int from, int to) {
    pos.typeOccupied[side][type] ^= squareBit[from] | squareBit[to];
}

/// Moves a king and its castling rook together. Both leave their squares
/// before either lands, as each may land where the other stood.
static void shiftCastlingPair(int side, int kingFrom, int rookFrom, int kingTo, int rookTo) {
    pos.board[kingFrom] = pos.board[rookFrom] = EMPTY;
    unlinkSquare(kingFrom, side);
    unlinkSquare(rookFrom, side);
    pos.board[kingTo] = makePiece(side, KING);
    pos.board[rookTo] = makePiece(side, ROOK);
    linkSquare(kingTo, side);
    linkSquare(rookTo, side);
    // Either may land where it stood (a king already on g1): the two toggles then cancel.
    togglePieceMask(side, KING, kingFrom);
    togglePieceMask(side, KING, kingTo);
    togglePieceMask(side, ROOK, rookFrom);
    togglePieceMask(side, ROOK, rookTo);
    pos.kingSquare[side] = uint8_t(kingTo);
}

/// Castles: king and rook go to their targets.
static void castle(Move move, int side) {
    int right = castleRightOfMove(move);
    int king = moveFrom(move), rook = pos.castling[right].rookSquare;
    int kingTarget = castleKingTarget(right), rookTarget = castleRookTarget(right);
    shiftCastlingPair(side, king, rook, kingTarget, rookTarget);
    pos.hashKey ^= pieceKey(side, KING, king) ^ pieceKey(side, KING, kingTarget) ^ pieceKey(side, ROOK, rook) ^
                   pieceKey(side, ROOK, rookTarget);
}

/// Takes castling back: king and rook return from their targets.
static void uncastle(Move move, int side) {
    int right = castleRightOfMove(move);
    shiftCastlingPair(side, castleKingTarget(right), castleRookTarget(right), moveFrom(move),
                      pos.castling[right].rookSquare);
}

/// Removes the captured piece from the keys and the material records.
static void removeCaptured(int square, int type, int enemy) {
    uint64_t key = pieceKey(enemy, type, square);
    pos.hashKey ^= key;
    if (type == PAWN) {
        pos.pawnKey ^= uint32_t(key);
        pos.pawnFileRanks[enemy][column(square) + 1] &= uint8_t(~rowBit[square]);
    } else {
        pos.material[enemy] -= pieceValue[type];
    }
    pos.pieceCount[enemy][type]--;
    pos.pieceTotal--;
    togglePieceMask(enemy, type, square);
}

/// Puts a piece of `side` on `to`: a capture hands the square over in the
/// side masks, otherwise the square is linked in.
static inline void occupyTarget(int to, int side, bool capture) {
    if (capture) {
        pos.sideOccupied[side ^ 1] &= squareClear[to];
        pos.sideOccupied[side] |= squareBit[to];
    } else {
        linkSquare(to, side);
    }
}

static void movePawn(Move move, int from, int to, int side, bool capture) {
    uint64_t fromKey = pieceKey(side, PAWN, from);
    pos.board[from] = EMPTY;
    unlinkSquare(from, side);
    pos.pawnFileRanks[side][column(from) + 1] &= uint8_t(~rowBit[from]);
    pos.pawnKey ^= uint32_t(fromKey);
    if (move & MF_PROMO) {
        int promotion = movePromotion(move);
        pos.board[to] = makePiece(side, promotion);
        togglePieceMask(side, PAWN, from);
        togglePieceMask(side, promotion, to);
        occupyTarget(to, side, capture);
        pos.material[side] += pieceValue[promotion];
        pos.pieceCount[side][PAWN]--;
        pos.pieceCount[side][promotion]++;
        pos.hashKey ^= fromKey ^ pieceKey(side, promotion, to);
        return;
    }
    uint64_t toKey = pieceKey(side, PAWN, to);
    pos.board[to] = makePiece(side, PAWN);
    shiftPieceMask(side, PAWN, from, to);
    pos.pawnFileRanks[side][column(to) + 1] |= rowBit[to];
    pos.pawnKey ^= uint32_t(toKey);
    pos.hashKey ^= fromKey ^ toKey;
    if (move & MF_EP) {
        int victim = enPassantVictim(to, side);
        linkSquare(to, side);
        pos.board[victim] = EMPTY;
        unlinkSquare(victim, side ^ 1);
    } else {
        occupyTarget(to, side, capture);
    }
    // A double step leaves an en-passant square only when an enemy pawn
    // stands beside the pawn's new square to take it.
    if ((move & MF_DOUBLE) &&
        ((pos.pawnFileRanks[side ^ 1][column(to)] | pos.pawnFileRanks[side ^ 1][column(to) + 2]) & rowBit[to]))
        pos.epSquare = int8_t(side == WHITE ? to + 8 : to - 8);
}

static void movePiece(int from, int to, int side, bool capture) {
    int type = pieceType(pos.board[from]);
    if (type == KING) pos.kingSquare[side] = uint8_t(to);
    pos.board[to] = makePiece(side, type);
    pos.board[from] = EMPTY;
    unlinkSquare(from, side);
    shiftPieceMask(side, type, from, to);
    occupyTarget(to, side, capture);
    pos.hashKey ^= pieceKey(side, type, from) ^ pieceKey(side, type, to);
}

/// Check state of the side now to move, after `mover` played from -> to
/// (any move but castling).
static int16_t checkStateAfter(Move move, int from, int to, int mover) {
    int king = pos.kingSquare[mover ^ 1];
    int type = pieceType(pos.board[to]);
    int checker = 64;
    bool doubleCheck = false;
    auto noteChecker = [&](int square) {
        if (checker < 64) doubleCheck = true;
        else checker = square;
    };

    if (type == PAWN) {
        if (move & MF_EP) {
            Direction dc = lineDirection[king][enPassantVictim(to, mover)];
            if (dc != NO_DIRECTION) {
                int uncovered = nearest(king, dc);
                if (isLineAttacker(pos.board[uncovered], dc, mover)) noteChecker(uncovered);
            }
        }
        for (Direction d : PAWN_ATTACK_DIRECTION[mover])
            if (to == stepSquare[king][d]) noteChecker(to);
    } else if (type == KNIGHT) {
        for (const int8_t *t = knightTargets[king].data(); *t >= 0; t++)
            if (*t == to) noteChecker(to);
    } else if (type != KING) {
        Direction dt = lineDirection[to][king];
        if (dt != NO_DIRECTION && nearest(to, dt) == king && (type == QUEEN || type == sliderType(dt))) {
            noteChecker(to);
            // A piece that moved along the check line cannot have uncovered another.
            Direction moved = lineDirection[from][to];
            if (moved == dt || moved == opposite(dt)) return int16_t(checker);
        }
    }

    Direction dd = lineDirection[king][from];
    if (dd != NO_DIRECTION) {
        int uncovered = nearest(king, dd);
        if (isLineAttacker(pos.board[uncovered], dd, mover)) noteChecker(uncovered);
    }
    return doubleCheck ? int16_t(checker | DOUBLE_CHECK) : int16_t(checker);
}

bool makeMove(Move move) {
    ASSERT_POSITION_CONSISTENT();
    int side = pos.sideToMove, enemy = pos.otherSide;
    int from = moveFrom(move), to = moveTo(move);
    int16_t check = pos.checkState[pos.gamePly];
    bool wasInCheck = (check & 0xFF) < 64;
    assert(pieceSide(pos.board[from]) == side);
    UndoRecord &undo = pos.undoStack[pos.gamePly];
    undo.hashKey = pos.hashKey;
    undo.pawnKey = pos.pawnKey;

    if (move & MF_CASTLE) {
        if (wasInCheck || !castlingIsAllowed(move)) return false;
    } else if (from != pos.kingSquare[side]) {
        if (leavesPin(from, to, pos.kingSquare[side], side)) return false;
        // Only a king move answers a double check.
        if (wasInCheck && (check & DOUBLE_CHECK)) return false;
    }

    undo.move = move;
    undo.capturedType = uint8_t((move & MF_CASTLE) ? NO_PIECE : pieceType(pos.board[to]));
    undo.castleRights = pos.castleRights;
    undo.epSquare = pos.epSquare;
    undo.fiftyCount = pos.fiftyCount;
    pos.ply++;
    pos.gamePly++;

    bool capture = (move & MF_CAPTURE) != 0;
    pos.fiftyCount = (move & (MF_CAPTURE | MF_PAWN)) ? 0 : uint8_t(pos.fiftyCount + 1);
    pos.castleRights &= pos.castleMask[to] & pos.castleMask[from];
    pos.epSquare = NO_EP_SQUARE;

    if (capture) {
        if (move & MF_EP) removeCaptured(enPassantVictim(to, side), PAWN, enemy);
        else removeCaptured(to, undo.capturedType, enemy);
    }
    if (move & MF_PAWN) movePawn(move, from, to, side, capture && !(move & MF_EP));
    else if (move & MF_CASTLE) castle(move, side);
    else movePiece(from, to, side, capture);

    pos.sideToMove ^= 1;
    pos.otherSide ^= 1;
    pos.hashKey ^= hashSeed;

    // A king may not step into an attack, nor castle into one; an en-passant
    // capture removes two pawns from their lines at once, so the own king is
    // tested directly.
    int ownKing = pos.kingSquare[side];
    if ((ownKing == to || (move & (MF_EP | MF_CASTLE))) && findAttacker(ownKing, enemy) < 64) {
        unmakeMove();
        return false;
    }

    // Castling moves two pieces and may check along the rook's file or the
    // first rank, through either vacated square: it is rare enough to test
    // the enemy king in full.
    pos.checkState[pos.gamePly] = (move & MF_CASTLE) ? computeCheckState() : checkStateAfter(move, from, to, side);
    ASSERT_POSITION_CONSISTENT();
    return true;
}

void unmakeMove() {
    pos.sideToMove ^= 1;
    pos.otherSide ^= 1;
    pos.ply--;
    pos.gamePly--;
    const UndoRecord &undo = pos.undoStack[pos.gamePly];
    pos.epSquare = undo.epSquare;
    pos.fiftyCount = undo.fiftyCount;
    if (undo.move == 0) {
        pos.hashKey ^= hashSeed;
        return;
    }
    int side = pos.sideToMove, enemy = pos.otherSide;
    Move move = undo.move;
    int from = moveFrom(move), to = moveTo(move);
    pos.castleRights = undo.castleRights;
    pos.hashKey = undo.hashKey;
    pos.pawnKey = undo.pawnKey;
    if (move & MF_CASTLE) {
        uncastle(move, side);
        ASSERT_POSITION_CONSISTENT();
        return;
    }
    int type = pieceType(pos.board[to]);

    if (undo.capturedType == NO_PIECE) {
        pos.board[to] = EMPTY;
        unlinkSquare(to, side);
    } else {
        int captured = undo.capturedType;
        pos.board[to] = makePiece(enemy, captured);
        togglePieceMask(enemy, captured, to);
        pos.sideOccupied[side] &= squareClear[to];
        pos.sideOccupied[enemy] |= squareBit[to];
        if (captured == PAWN) pos.pawnFileRanks[enemy][column(to) + 1] |= rowBit[to];
        else pos.material[enemy] += pieceValue[captured];
        pos.pieceCount[enemy][captured]++;
        pos.pieceTotal++;
    }

    if (move & MF_EP) {
        int victim = enPassantVictim(to, side);
        pos.board[victim] = makePiece(enemy, PAWN);
        linkSquare(victim, enemy);
        togglePieceMask(enemy, PAWN, victim);
        pos.pieceCount[enemy][PAWN]++;
        pos.pieceTotal++;
        pos.pawnFileRanks[enemy][column(victim) + 1] |= rowBit[victim];
    }

    if (move & MF_PROMO) {
        pos.board[from] = makePiece(side, PAWN);
        togglePieceMask(side, type, to);
        togglePieceMask(side, PAWN, from);
        pos.pieceCount[side][PAWN]++;
        pos.pawnFileRanks[side][column(from) + 1] |= rowBit[from];
        pos.material[side] -= pieceValue[type];
        pos.pieceCount[side][type]--;
    } else {
        pos.board[from] = makePiece(side, type);
        shiftPieceMask(side, type, to, from);
        if (type == KING) pos.kingSquare[side] = uint8_t(from);
        if (type == PAWN) {
            pos.pawnFileRanks[side][column(to) + 1] &= uint8_t(~rowBit[to]);
            pos.pawnFileRanks[side][column(from) + 1] |= rowBit[from];
        }
    }
    linkSquare(from, side);
    ASSERT_POSITION_CONSISTENT();
}

void makeNullMove() {
    assert(!inCheck());
    UndoRecord &undo = pos.undoStack[pos.gamePly];
    undo.move = 0;
    undo.capturedType = NO_PIECE;
    undo.epSquare = pos.epSquare;
    undo.fiftyCount = pos.fiftyCount;
    undo.hashKey = 0;  // a zero key stops the repetition look-back here
    pos.epSquare = NO_EP_SQUARE;
    pos.moveListStart[pos.ply + 1] = pos.moveListStart[pos.ply];
    pos.ply++;
    pos.gamePly++;
    pos.fiftyCount = 0;
    pos.checkState[pos.gamePly] = NOT_IN_CHECK;
    pos.otherSide ^= 1;
    pos.sideToMove ^= 1;
    pos.hashKey ^= hashSeed;
}
