// Quiescence search and the static exchange test.
#include "search/quiesce.h"

#include <algorithm>
#include <cassert>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "eval/evaluate.h"
#include "eval/pawns.h"
#include "search/ordering.h"
#include "search/output.h"
#include "search/state.h"
#include "search/tt.h"

/// Moves a ray cursor past the piece it stands on.
static void advanceCursor(Direction direction) {
    thisThread->rayCursor[direction] = nearest(thisThread->rayCursor[direction], direction);
}

static bool holds(int square, int side, int type) { return pos.board[square] == makePiece(side, type); }

/// The exchange attackers of one side in order of value: pawns (through the
/// two diagonal cursors that point back toward that side's pawns), knights,
/// bishops, rooks, queens, king.
static int nextAttacker(int side, int from, int to) {
    // White pawns take from to + 7 and to + 9, Black pawns from to - 9, to - 7.
    int8_t &stage = thisThread->exchangeStage[side];
    while (stage < 2) {
        Direction direction = PAWN_ATTACK_DIRECTION[side][stage++];
        int square = thisThread->rayCursor[direction];
        if (square == to + DIRECTION_DELTA[direction] && holds(square, side, PAWN)) {
            advanceCursor(direction);
            return 100;
        }
    }
    if (stage == 2) {
        const auto &targets = knightTargets[to];
        for (int8_t &i = thisThread->knightIndex[side]; targets[i] >= 0;) {
            int square = targets[i++];
            if (square != from && holds(square, side, KNIGHT)) return 300;
        }
        stage = 3;
    }
    if (stage == 3) {
        Direction queenDirection = NO_DIRECTION;
        for (Direction direction : {NORTH_WEST, SOUTH_EAST, NORTH_EAST, SOUTH_WEST}) {
            if (holds(thisThread->rayCursor[direction], side, BISHOP)) {
                advanceCursor(direction);
                return 300;
            }
            if (holds(thisThread->rayCursor[direction], side, QUEEN)) queenDirection = direction;
        }
        for (Direction direction : {NORTH, SOUTH, WEST, EAST}) {
            if (holds(thisThread->rayCursor[direction], side, ROOK)) {
                advanceCursor(direction);
                return 500;
            }
            if (holds(thisThread->rayCursor[direction], side, QUEEN)) queenDirection = direction;
        }
        if (queenDirection != NO_DIRECTION) {
            advanceCursor(queenDirection);
            return 900;
        }
        if (squareDistance(pos.kingSquare[side], to) == 1) {
            stage = 4;
            return 4500;
        }
    }
    return SCORE_BOUND;
}

int nextWhiteAttacker(int from, int to) { return nextAttacker(WHITE, from, to); }
int nextBlackAttacker(int from, int to) { return nextAttacker(BLACK, from, to); }

bool captureIsSafe(int from, int to) {
    int gain = pieceValue[pieceType(pos.board[to])];
    int risk = pieceValue[pieceType(pos.board[from])];
    for (Direction direction = NORTH; direction <= SOUTH_WEST; ++direction) {
        int square = nearest(to, direction);
        thisThread->rayCursor[direction] = int8_t(square == from ? nearest(from, direction) : square);
    }
    thisThread->exchangeStage[WHITE] = thisThread->exchangeStage[BLACK] = 0;
    thisThread->knightIndex[WHITE] = thisThread->knightIndex[BLACK] = 0;
    int us = pos.sideToMove, them = us ^ 1;
    int reply = nextAttacker(them, from, to);
    for (;;) {
        if (reply == SCORE_BOUND) return gain >= 0;
        gain -= risk;
        if (gain >= 0) return true;
        risk = nextAttacker(us, from, to);
        if (risk == SCORE_BOUND) return false;
        gain += reply;
        if (gain < 0) return false;
        reply = nextAttacker(them, from, to);
    }
}

/// The piece type of the side to move that the checker forks, when its
/// square is attacked more than defended; -1 when there is none.
static int forkedPieceType(int checker) {
    int side = pos.sideToMove, type = pieceType(pos.board[checker]);
    int best = -1;
    auto consider = [&](int square) {
        if (square < 64 && isPieceOf(square, side) && attackBalance(square, pos.otherSide) > 0)
            best = std::max(best, pieceType(pos.board[square]));
    };
    if (type == KNIGHT) {
        for (int i = 0; knightTargets[checker][i] >= 0; i++) consider(knightTargets[checker][i]);
    } else if (type == BISHOP || type == ROOK || type == QUEEN) {
        Direction first = type == BISHOP ? NORTH_WEST : NORTH, last = type == ROOK ? EAST : SOUTH_WEST;
        for (Direction direction = first; direction <= last; ++direction) consider(nearest(checker, direction));
    }
    return best;
}

/// In check with the static score at or above beta: true when the check
/// looks harmless enough to trust the static score. The checker is taken to
/// be the piece that just moved.
static bool checkIsHarmless(int16_t stand, int16_t beta) {
    int checker = landingSquare(pos.undoStack[pos.gamePly - 1].move);
    if (!inDoubleCheck() && attackBalance(checker, pos.sideToMove) > 0) return true;
    int forked = forkedPieceType(checker);
    int king = pos.kingSquare[pos.sideToMove];
    for (Direction direction = NORTH; direction <= SOUTH_WEST; ++direction) {
        int target = stepSquare[king][direction];
        if (target >= 64 || !isEmpty(target)) continue;
        if (!makeMove(Move(king | target << 6))) continue;
        unmakeMove();
        return forked < 0 || stand >= beta + pieceValue[forked];
    }
    return false;
}

/// True for a pawn move to another file onto an empty square that is not
/// the en-passant square: a stored move that cannot be played here.
static bool isStalePawnCapture(Move move) {
    int from = moveFrom(move), to = moveTo(move);
    return pieceType(pos.board[from]) == PAWN && column(from) != column(to) && isEmpty(to) && to != pos.epSquare;
}

/// Copies the child's line behind `move` into this ply's principal variation.
static void updatePv(Move move) {
    int ply = pos.ply;
    thisThread->pvTable[ply][ply] = move;
    for (int i = ply + 1; i < thisThread->pvLength[ply + 1]; i++)
        thisThread->pvTable[ply][i] = thisThread->pvTable[ply + 1][i];
    thisThread->pvLength[ply] = thisThread->pvLength[ply + 1];
}

/// Probes the quiescence table; true with *score set when the entry decides
/// the node. *hashMove receives the stored move on any match.
static bool probeQuiesceTable(int16_t alpha, int16_t beta, int16_t *score, Move *hashMove) {
    TTEntry entry;
    if (!quiesceProbe(&entry)) return false;
    *hashMove = unpackMove(entry.move);
    int bound = entry.flags & 7;
    if ((bound == BOUND_UPPER && entry.score <= alpha) || (bound == BOUND_LOWER && entry.score >= beta)) {
        *score = entry.score;
        return true;
    }
    if (bound != BOUND_EXACT || !*hashMove || isStalePawnCapture(*hashMove)) return false;
    int ply = pos.ply;
    thisThread->pvTable[ply][ply] = completeMove(*hashMove);
    thisThread->pvLength[ply] = uint8_t(ply + 1);
    *score = entry.score;
    return true;
}

/// True when a capture is not worth searching: too small to bring the score
/// back to alpha, or a capture by a more valuable piece that loses material.
static bool captureIsPruned(Move move, int deltaMargin) {
    int victim = (move & MF_EP) ? PAWN : pieceType(pos.board[moveTo(move)]);
    int bonus = victim == PAWN ? 100 : victim == QUEEN ? -100 : 0;
    int victimValue = pieceValue[(move & MF_EP) ? NO_PIECE : victim];
    if (victimValue < deltaMargin + bonus) return true;
    int attackerValue = pieceValue[pieceType(pos.board[moveFrom(move)])];
    return attackerValue > victimValue && !captureIsSafe(moveFrom(move), moveTo(move));
}

int16_t quiesce(int16_t alpha, int16_t beta) {
    assert(alpha < beta);
    countNode();
    int ply = pos.ply;
    thisThread->pvLength[ply] = uint8_t(ply);
    if (ply >= thisThread->selDepth) thisThread->selDepth = int16_t(ply);
    if (ply >= MAX_PLY - 1) return beta;

    int16_t score;
    Move hashMove = 0;
    if (probeQuiesceTable(alpha, beta, &score, &hashMove)) return score;

    bool checked = inCheck();
    int16_t stand = evaluate(alpha, beta);
    int16_t callerAlpha = alpha;
    if (stand > alpha) {
        if (stand < beta)
            alpha = stand;
        else if (!checked || checkIsHarmless(stand, beta))
            return stand;
    }

    int16_t best;
    if (checked) {
        genEvasions();
        scoreQuietMoves();
        best = -SCORE_BOUND;
    } else {
        genCaptures();
        best = stand;
    }
    markHashMove(hashMove);
    if (thisThread->followPv) markPvMove();

    bool bothSidesHavePieces = pos.material[WHITE] >= 1000 && pos.material[BLACK] >= 1000;
    int deltaMargin = bothSidesHavePieces ? alpha - stand - 350 : 0;
    Move bestMove = 0;
    bool searched = false;
    for (uint32_t index = pos.moveListStart[ply]; index < pos.moveListStart[ply + 1]; index++) {
        Move move = pickNextMove(index);
        if ((move & (MF_CAPTURE | MF_PROMO)) == MF_CAPTURE && captureIsPruned(move, deltaMargin)) continue;
        if (!makeMove(move)) continue;
        quiescePrefetch();
        prefetchPawnRecord();
        searched = true;
        score = int16_t(-quiesce(int16_t(-beta), int16_t(-alpha)));
        unmakeMove();
        if (score <= best) continue;
        best = score;
        bestMove = move;
        if (score <= alpha) continue;
        updatePv(move);
        if (score >= beta) break;
        alpha = score;
    }

    if (bestMove) {
        uint8_t bound = best <= callerAlpha ? BOUND_UPPER : best >= beta ? BOUND_LOWER : BOUND_EXACT;
        quiesceStore(bestMove, best, bound);
        return best;
    }
    if (!searched && checked) return int16_t(ply - SCORE_BOUND);
    return best;
}
