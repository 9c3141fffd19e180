// Attack tests on the current position, for occupied and empty squares
// alike: the first piece on each line is one nearest read.
#include "board/attacks.h"

#include "board/position.h"
#include "board/tables.h"

/// True when `from`, the first piece from `square` in direction d, attacks
/// the square for `side`: a matching slider, or the king next to it.
static inline bool attacksAlongLine(int square, int from, Direction d, int side) {
    uint8_t code = pos.board[from];
    return isLineAttacker(code, d, side) ||
           (code == makePiece(side, KING) && from == stepSquare[square][d]);
}

static int pawnOrKnightAttacker(int square, int side) {
    for (Direction e : PAWN_ATTACK_DIRECTION[side]) {
        int from = stepSquare[square][e];
        if (pos.board[from] == makePiece(side, PAWN)) return from;
    }
    for (const int8_t *target = knightTargets[square].data(); *target >= 0; target++)
        if (pos.board[*target] == makePiece(side, KNIGHT)) return *target;
    return 64;
}

int findAttacker(int square, int side) {
    int from = pawnOrKnightAttacker(square, side);
    if (from < 64) return from;
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d) {
        int first = nearest(square, d);
        if (attacksAlongLine(square, first, d, side)) return first;
    }
    return 64;
}

/// Attackers of `side` on one half-line whose first piece is `first`: a
/// slider and the sliders lined up behind it, or an adjacent king.
static int lineAttackers(int square, int first, Direction d, int side) {
    if (isLineAttacker(pos.board[first], d, side)) {
        int count = 1;
        for (int x = nearest(first, d); isLineAttacker(pos.board[x], d, side); x = nearest(x, d)) count++;
        return count;
    }
    return pos.board[first] == makePiece(side, KING) && first == stepSquare[square][d] ? 1 : 0;
}

/// Pawn attackers of `side` and the bishops and queens lined up behind them,
/// plus knight attackers.
static int pawnAndKnightAttackers(int square, int side) {
    int count = 0;
    for (Direction e : PAWN_ATTACK_DIRECTION[side]) {
        int from = stepSquare[square][e];
        if (pos.board[from] != makePiece(side, PAWN)) continue;
        count++;
        for (int x = nearest(from, e); isLineAttacker(pos.board[x], e, side); x = nearest(x, e)) count++;
    }
    for (const int8_t *target = knightTargets[square].data(); *target >= 0; target++)
        if (pos.board[*target] == makePiece(side, KNIGHT)) count++;
    return count;
}

int countAttackers(int square, int side) {
    int count = pawnAndKnightAttackers(square, side);
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d) count += lineAttackers(square, nearest(square, d), d, side);
    return count;
}

/// Net attackers (White minus Black) on one half-line starting at `first`.
static int lineBalance(int square, int first, Direction d) {
    return lineAttackers(square, first, d, WHITE) - lineAttackers(square, first, d, BLACK);
}

int attackBalance(int square, int side) {
    int balance = pawnAndKnightAttackers(square, WHITE) - pawnAndKnightAttackers(square, BLACK);
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d) balance += lineBalance(square, nearest(square, d), d);
    return side == WHITE ? balance : -balance;
}

int16_t computeCheckState() {
    int king = pos.kingSquare[pos.sideToMove];
    int enemy = pos.otherSide;
    int checker = findAttacker(king, enemy);
    if (checker == 64) return NOT_IN_CHECK;
    int attackers = countAttackers(king, enemy);
    if (attackers < 2) return int16_t(checker);
    // countAttackers also counted the sliders lined up behind the checker,
    // which do not give check themselves.
    Direction d = lineDirection[king][checker];
    if (d != NO_DIRECTION)
        for (int x = nearest(checker, d); isLineAttacker(pos.board[x], d, enemy); x = nearest(x, d)) attackers--;
    return attackers > 1 ? int16_t(checker | DOUBLE_CHECK) : int16_t(checker);
}

static bool pawnCheckThreat(int king, int kingSide, bool safeOnly) {
    int enemy = kingSide ^ 1;
    Direction pawnBehind = enemy == WHITE ? SOUTH : NORTH;  // to the enemy pawn that pushes onto a square
    for (Direction e : PAWN_ATTACK_DIRECTION[enemy]) {
        int t = stepSquare[king][e];  // an enemy pawn here would give check
        if (t == 64) continue;
        if (pos.board[t] == EMPTY) {
            if (pos.board[stepSquare[t][pawnBehind]] == makePiece(enemy, PAWN) &&
                (!safeOnly || findAttacker(t, enemy) < 64))
                return true;
        } else if (!safeOnly && isPieceOf(t, kingSide)) {
            for (Direction f : PAWN_ATTACK_DIRECTION[enemy])
                if (pos.board[stepSquare[t][f]] == makePiece(enemy, PAWN)) return true;
        }
    }
    return false;
}

static bool knightCheckThreat(int king, int kingSide, bool safeOnly) {
    int enemy = kingSide ^ 1;
    for (const int8_t *t = knightTargets[king].data(); *t >= 0; t++) {
        if (isPieceOf(*t, enemy)) continue;
        if (safeOnly && !(pos.board[*t] == EMPTY && attackBalance(*t, kingSide) < 0)) continue;
        for (const int8_t *from = knightTargets[*t].data(); *from >= 0; from++)
            if (pos.board[*from] == makePiece(enemy, KNIGHT)) return true;
    }
    return false;
}

/// reachMask's includeSide that includes the first piece of either side.
constexpr int ANY_SIDE = 2;

/// Squares from `square` along the directions first..last up to the first
/// piece, that piece included only when `includeSide` owns it (or always,
/// with ANY_SIDE).
static uint64_t reachMask(int square, Direction first, Direction last, int includeSide) {
    uint64_t reach = 0;
    for (Direction d = first; d <= last; ++d) {
        int blocker = nearest(square, d);
        uint64_t ray = rayMask[square][d];
        if (blocker < 64) {
            ray &= ~rayMask[blocker][d];
            if (includeSide != ANY_SIDE && !isPieceOf(blocker, includeSide)) ray &= squareClear[blocker];
        }
        reach |= ray;
    }
    return reach;
}

static bool sliderCheckThreat(int king, int kingSide, bool safeOnly) {
    int enemy = kingSide ^ 1;
    uint64_t orthogonalChecks = reachMask(king, NORTH, EAST, kingSide);
    uint64_t diagonalChecks = reachMask(king, NORTH_WEST, SOUTH_WEST, kingSide);
    for (uint64_t pieces = pos.sideOccupied[enemy]; pieces; ) {
        int from = lowestSquareOf(pieces);
        pieces &= squareClear[from];
        int type = pieceType(pos.board[from]);
        uint64_t targets;
        if (type == BISHOP) targets = reachMask(from, NORTH_WEST, SOUTH_WEST, ANY_SIDE) & diagonalChecks;
        else if (type == ROOK) targets = reachMask(from, NORTH, EAST, ANY_SIDE) & orthogonalChecks;
        else if (type == QUEEN)
            targets = reachMask(from, NORTH, SOUTH_WEST, ANY_SIDE) & (orthogonalChecks | diagonalChecks);
        else continue;
        if (!safeOnly) {
            if (targets) return true;
            continue;
        }
        for (; targets; ) {
            int t = lowestSquareOf(targets);
            targets &= squareClear[t];
            if (pos.board[t] == EMPTY && attackBalance(t, kingSide) < 0) return true;
        }
    }
    return false;
}

bool checkThreat(int kingSide, bool safeOnly) {
    int king = pos.kingSquare[kingSide];
    return pawnCheckThreat(king, kingSide, safeOnly) || knightCheckThreat(king, kingSide, safeOnly) ||
           sliderCheckThreat(king, kingSide, safeOnly);
}
