// Pseudo-legal move generation. The pieces of the side to move are visited
// in ascending square order (a8 first); each generator appends to the list of
// the current search ply.
#include "board/movegen.h"

#include <cassert>

#include "board/attacks.h"
#include "board/tables.h"

constexpr int32_t SCORE_TACTICAL = 0x2000000;  // captures and promotions sort above quiet moves

static inline MoveEntry &nextEntry() {
    assert(pos.moveListStart[pos.ply + 1] < uint32_t(MOVE_LIST_SIZE));
    return pos.moveList[pos.moveListStart[pos.ply + 1]++];
}

static inline Move makeMoveValue(int from, int to, int promotion, int flags) {
    return Move(from | to << 6 | promotion << 16 | flags << 24);
}

Move flaggedMove(int from, int to, int promotion) {
    Move move = Move(from | to << 6 | promotion << 16);
    if (pos.board[to] != EMPTY) move |= MF_CAPTURE;
    int type = pieceType(pos.board[from]);
    if (type == PAWN) {
        move |= MF_PAWN;
        if (row(to) == 0 || row(to) == 7) move |= MF_PROMO;
        if (to - from == 16 || from - to == 16) move |= MF_DOUBLE;
        if (to == pos.epSquare) move |= MF_EP | MF_CAPTURE;
    } else if (type == KING) {
        if (Move castling = castlingMoveFor(from, to)) return castling;
        // A two-file step is castling or nothing: makeMove refuses it
        // without the right.
        if (column(to) - column(from) == 2 || column(from) - column(to) == 2) move |= MF_CASTLE;
    }
    return move;
}

void addMove(int from, int to, int flags) {
    if ((flags & FLAG_PAWN) && (row(to) == 0 || row(to) == 7)) {
        int captured = pos.board[to] == EMPTY ? 0 : pieceType(pos.board[to]);
        for (int promotion = QUEEN; promotion >= KNIGHT; promotion--) {
            MoveEntry &entry = nextEntry();
            entry.move = makeMoveValue(from, to, promotion, flags | FLAG_PROMO);
            entry.score = (8 * (promotion + 1) | captured) | SCORE_TACTICAL;
        }
        return;
    }
    MoveEntry &entry = nextEntry();
    entry.move = makeMoveValue(from, to, 0, flags);
    if (flags & FLAG_CAPTURE) {
        int victim = (flags & FLAG_EP) ? PAWN : pieceType(pos.board[to]);
        entry.score = (victim * 8 + 8 - pieceType(pos.board[from])) | SCORE_TACTICAL;
    } else {
        entry.score = 0;  // the search's move ordering scores quiet moves
    }
}

static inline void startList() { pos.moveListStart[pos.ply + 1] = pos.moveListStart[pos.ply]; }

static inline bool isEnemy(int square) { return pieceSide(pos.board[square]) == pos.otherSide; }

// Pawn geometry per side: the push direction and the rows that matter.
struct PawnRules {
    int push;          // square delta of a single step
    int captureLeft;   // delta of the capture toward the a-file
    int captureRight;  // delta of the capture toward the h-file
    int startRow;      // row from which the double step is possible
    int lastRowBefore; // row from which a push promotes
};
static constexpr PawnRules PAWN_RULES[2] = {{-8, -9, -7, 6, 1}, {+8, +7, +9, 1, 6}};

static void genPawnCaptures(int from) {
    const PawnRules &rules = PAWN_RULES[pos.sideToMove];
    if (column(from) != 0 && isEnemy(from + rules.captureLeft)) addMove(from, from + rules.captureLeft, FLAG_PAWN | FLAG_CAPTURE);
    if (column(from) != 7 && isEnemy(from + rules.captureRight)) addMove(from, from + rules.captureRight, FLAG_PAWN | FLAG_CAPTURE);
}

static void genPawnMoves(int from) {
    const PawnRules &rules = PAWN_RULES[pos.sideToMove];
    genPawnCaptures(from);
    int to = from + rules.push;
    if (pos.board[to] != EMPTY) return;
    addMove(from, to, FLAG_PAWN);
    if (row(from) == rules.startRow && pos.board[to + rules.push] == EMPTY)
        addMove(from, to + rules.push, FLAG_PAWN | FLAG_DOUBLE);
}

static void genSliderMoves(int from, Direction firstDirection, Direction lastDirection) {
    for (Direction d = firstDirection; d <= lastDirection; ++d)
        for (int to = stepSquare[from][d]; to < 64; to = stepSquare[to][d]) {
            if (pos.board[to] == EMPTY) {
                addMove(from, to, 0);
                continue;
            }
            if (isEnemy(to)) addMove(from, to, FLAG_CAPTURE);
            break;
        }
}

static void genKnightMoves(int from, bool capturesOnly) {
    for (const int8_t *to = knightTargets[from].data(); *to >= 0; to++) {
        if (pos.board[*to] == EMPTY) {
            if (!capturesOnly) addMove(from, *to, 0);
        } else if (isEnemy(*to)) {
            addMove(from, *to, FLAG_CAPTURE);
        }
    }
}

static void genKingSteps(int from, bool capturesOnly) {
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d) {
        int to = stepSquare[from][d];
        if (to == NO_SQUARE) continue;
        if (pos.board[to] == EMPTY) {
            if (!capturesOnly) addMove(from, to, 0);
        } else if (isEnemy(to)) {
            addMove(from, to, FLAG_CAPTURE);
        }
    }
}

// Castling needs its right and an open path; whether the king crosses an
// attacked square is makeMove's test.
static void genCastling() {
    for (int right = castleRight(pos.sideToMove, SHORT_SIDE); right <= castleRight(pos.sideToMove, LONG_SIDE); right++)
        if (castlingPathIsOpen(right))
            addMove(moveFrom(pos.castling[right].move), moveTo(pos.castling[right].move), FLAG_CASTLE);
}

static void genEnPassant() {
    int ep = pos.epSquare;
    if (ep == NO_EP_SQUARE) return;
    const PawnRules &rules = PAWN_RULES[pos.sideToMove];
    uint8_t pawn = makePiece(pos.sideToMove, PAWN);
    // The capturing pawns stand behind the square, one file to either side.
    if (column(ep) != 0 && pos.board[ep - rules.captureRight] == pawn) addMove(ep - rules.captureRight, ep, FLAG_PAWN | FLAG_EP | FLAG_CAPTURE);
    if (column(ep) != 7 && pos.board[ep - rules.captureLeft] == pawn) addMove(ep - rules.captureLeft, ep, FLAG_PAWN | FLAG_EP | FLAG_CAPTURE);
}

void genAllMoves() {
    startList();
    for (uint64_t pieces = pos.sideOccupied[pos.sideToMove]; pieces;) {
        int from = lowestSquareOf(pieces);
        pieces &= squareClear[from];
        switch (pieceType(pos.board[from])) {
        case PAWN: genPawnMoves(from); break;
        case KNIGHT: genKnightMoves(from, false); break;
        case BISHOP: genSliderMoves(from, NORTH_WEST, SOUTH_WEST); break;
        case ROOK: genSliderMoves(from, NORTH, EAST); break;
        case QUEEN: genSliderMoves(from, NORTH, SOUTH_WEST); break;
        default: genKingSteps(from, false); break;
        }
    }
    genCastling();
    genEnPassant();
}

/// Captures of a slider, read from nearest instead of walking the rays.
static void genSliderCaptures(int from, Direction firstDirection, Direction lastDirection) {
    for (Direction d = firstDirection; d <= lastDirection; ++d) {
        int to = nearest(from, d);
        if (isEnemy(to)) addMove(from, to, FLAG_CAPTURE);
    }
}

void genCaptures() {
    startList();
    const PawnRules &rules = PAWN_RULES[pos.sideToMove];
    for (uint64_t pieces = pos.sideOccupied[pos.sideToMove]; pieces;) {
        int from = lowestSquareOf(pieces);
        pieces &= squareClear[from];
        switch (pieceType(pos.board[from])) {
        case PAWN:
            genPawnCaptures(from);
            if (row(from) == rules.lastRowBefore && pos.board[from + rules.push] == EMPTY)
                addMove(from, from + rules.push, FLAG_PAWN);
            break;
        case KNIGHT: genKnightMoves(from, true); break;
        case BISHOP: genSliderCaptures(from, NORTH_WEST, SOUTH_WEST); break;
        case ROOK: genSliderCaptures(from, NORTH, EAST); break;
        case QUEEN: genSliderCaptures(from, NORTH, SOUTH_WEST); break;
        default: genKingSteps(from, true); break;
        }
    }
    genEnPassant();
}

/// Appends a quiet move without a score.
static inline void appendQuiet(int from, int to, Move flags) {
    nextEntry().move = Move(from | to << 6) | flags;
}

static void genQuietSliderMoves(int from, Direction firstDirection, Direction lastDirection) {
    for (Direction d = firstDirection; d <= lastDirection; ++d)
        for (int to = stepSquare[from][d]; to < 64 && pos.board[to] == EMPTY; to = stepSquare[to][d])
            appendQuiet(from, to, 0);
}

static void genQuietPawnMoves(int from) {
    const PawnRules &rules = PAWN_RULES[pos.sideToMove];
    int to = from + rules.push;
    if (row(from) == rules.lastRowBefore || pos.board[to] != EMPTY) return;
    appendQuiet(from, to, MF_PAWN);
    if (row(from) == rules.startRow && pos.board[to + rules.push] == EMPTY)
        appendQuiet(from, to + rules.push, MF_PAWN | MF_DOUBLE);
}

void genQuietMoves() {
    startList();
    for (uint64_t pieces = pos.sideOccupied[pos.sideToMove]; pieces;) {
        int from = lowestSquareOf(pieces);
        pieces &= squareClear[from];
        switch (pieceType(pos.board[from])) {
        case PAWN: genQuietPawnMoves(from); break;
        case KNIGHT:
            for (const int8_t *to = knightTargets[from].data(); *to >= 0; to++)
                if (pos.board[*to] == EMPTY) appendQuiet(from, *to, 0);
            break;
        case BISHOP: genQuietSliderMoves(from, NORTH_WEST, SOUTH_WEST); break;
        case ROOK: genQuietSliderMoves(from, NORTH, EAST); break;
        case QUEEN: genQuietSliderMoves(from, NORTH, SOUTH_WEST); break;
        default:
            for (Direction d = NORTH; d <= SOUTH_WEST; ++d)
                if (stepSquare[from][d] < 64 && pos.board[stepSquare[from][d]] == EMPTY) appendQuiet(from, stepSquare[from][d], 0);
            break;
        }
    }
    for (int right = castleRight(pos.sideToMove, SHORT_SIDE); right <= castleRight(pos.sideToMove, LONG_SIDE); right++)
        if (castlingPathIsOpen(right)) nextEntry().move = pos.castling[right].move;
}

/// Direction from the king to a checker on one of its lines, found by
/// comparing rows and columns.
static Direction directionToChecker(int king, int checker) {
    if (row(checker) > row(king))
        return column(checker) > column(king) ? SOUTH_EAST : column(checker) == column(king) ? SOUTH : SOUTH_WEST;
    if (row(checker) < row(king))
        return column(checker) > column(king) ? NORTH_EAST : column(checker) == column(king) ? NORTH : NORTH_WEST;
    return checker > king ? EAST : WEST;
}

static void genPawnEvasions(int from, int checker, uint64_t block) {
    const PawnRules &rules = PAWN_RULES[pos.sideToMove];
    if ((column(from) != 0 && checker == from + rules.captureLeft) ||
        (column(from) != 7 && checker == from + rules.captureRight))
        addMove(from, checker, FLAG_PAWN | FLAG_CAPTURE);
    int to = from + rules.push;
    if (block & squareBit[to]) addMove(from, to, FLAG_PAWN);
    if (row(from) == rules.startRow && pos.board[to] == EMPTY && (block & squareBit[to + rules.push]))
        addMove(from, to + rules.push, FLAG_PAWN | FLAG_DOUBLE);
}

static void genKingEvasions(int from, Direction checkDirection) {
    int enemy = pos.otherSide;
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d) {
        int to = stepSquare[from][d];
        // Stepping away along the check line stays in check.
        if (to == NO_SQUARE || d == opposite(checkDirection)) continue;
        if (pos.board[to] == EMPTY) {
            if (d != checkDirection && findAttacker(to, enemy) == NO_SQUARE) addMove(from, to, 0);
        } else if (isEnemy(to) && findAttacker(to, enemy) == NO_SQUARE) {
            addMove(from, to, FLAG_CAPTURE);
        }
    }
}

static void genSliderEvasions(int from, Direction firstDirection, Direction lastDirection, int checker,
                              uint64_t block) {
    for (Direction d = firstDirection; d <= lastDirection; ++d) {
        int blocker = nearest(from, d);
        if (blocker == checker) {
            addMove(from, checker, FLAG_CAPTURE);
            continue;
        }
        uint64_t interpositions = rayMask[from][d] & block;
        if (blocker < 64) interpositions &= ~rayMask[blocker][d];
        if (interpositions) addMove(from, lowestSquareOf(interpositions), 0);
    }
}

void genEvasions() {
    startList();
    int16_t state = pos.checkState[pos.gamePly];
    int checker = state & 0xFF, king = pos.kingSquare[pos.sideToMove];
    assert(checker < 64);
    int checkerType = pieceType(pos.board[checker]);
    Direction checkDirection = NO_DIRECTION;  // no slider gives a single check
    uint64_t block = 0;       // the empty squares between king and a single checking slider
    if (checkerType >= BISHOP && checkerType <= QUEEN && !(state & DOUBLE_CHECK)) {
        checkDirection = directionToChecker(king, checker);
        block = rayMask[checker][opposite(checkDirection)] & rayMask[king][checkDirection];
    }
    for (uint64_t pieces = pos.sideOccupied[pos.sideToMove]; pieces;) {
        int from = lowestSquareOf(pieces);
        pieces &= squareClear[from];
        switch (pieceType(pos.board[from])) {
        case PAWN: genPawnEvasions(from, checker, block); break;
        case KNIGHT:
            for (const int8_t *to = knightTargets[from].data(); *to >= 0; to++) {
                if (*to == checker) addMove(from, *to, FLAG_CAPTURE);
                else if (block & squareBit[*to]) addMove(from, *to, 0);
            }
            break;
        case BISHOP: genSliderEvasions(from, NORTH_WEST, SOUTH_WEST, checker, block); break;
        case ROOK: genSliderEvasions(from, NORTH, EAST, checker, block); break;
        case QUEEN: genSliderEvasions(from, NORTH, SOUTH_WEST, checker, block); break;
        default: genKingEvasions(from, checkDirection); break;
        }
    }
    // En passant answers a check only by taking the pawn that just double-stepped.
    int doubleStepped = pos.epSquare == NO_EP_SQUARE ? 64 : pos.epSquare - PAWN_RULES[pos.sideToMove].push;
    if (checker == doubleStepped) genEnPassant();
}

void genPositionMoves() {
    if (inCheck()) genEvasions();
    else genAllMoves();
}

bool isGeneratedMove(Move move) {
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++)
        if (entry->move == move) return true;
    return false;
}
