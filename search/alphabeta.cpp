// The main search: a fail-soft principal-variation search with the
// transposition table, null move, internal iterative deepening, extensions
// in quarter plies and a one-ply reduction of quiet moves.
#include "search/alphabeta.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/repetition.h"
#include "board/tables.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "eval/evaluate.h"
#include "eval/pawns.h"
#include "search/ordering.h"
#include "search/output.h"
#include "search/quiesce.h"
#include "search/state.h"
#include "search/tt.h"

const int16_t futilityMargin[11] = {0, 0, 200, 300, 350, 500, 550, 800, 850, 1200, 1250};

/// Null-window margin below beta for the reduction test after a null move.
constexpr int NULL_MARGIN = 21;

bool checkNeedsExtension() {
    if (inDoubleCheck()) return true;
    Move last = pos.undoStack[pos.gamePly - 1].move;
    int checker = landingSquare(last), origin = moveFrom(last);
    int mover = pos.otherSide;
    int taker = findAttacker(checker, pos.sideToMove);
    if (taker >= 64 || findAttacker(checker, mover) < 64) return true;
    // A slider of the mover behind the piece that would take the checker.
    for (Direction direction = NORTH; direction <= SOUTH_WEST; ++direction) {
        int square = nearest(taker, direction);
        if (square != checker && isLineAttacker(pos.board[square], direction, mover)) return true;
    }
    // A slider of the mover on a line through the vacated square.
    for (Direction direction = NORTH; direction <= SOUTH_WEST; ++direction)
        if (isLineAttacker(pos.board[nearest(origin, direction)], direction, mover)) return true;
    return false;
}

int16_t searchChild(int16_t alpha, int16_t beta, int depth, int extension, uint8_t flags, bool firstMove) {
    auto search = [&](int lower, int upper) {
        if (depth < 1) return int16_t(-quiesce(int16_t(-upper), int16_t(-lower)));
        return int16_t(-alphaBeta(int16_t(-upper), int16_t(-lower), int8_t(depth), int8_t(extension), flags));
    };
    if (firstMove) return search(alpha, beta);
    int16_t score = search(alpha, alpha + 1);
    if (score > alpha && score < beta) score = search(alpha, beta);
    return score;
}

/// Near the root a position must have occurred twice before to count as a
/// draw; deeper in the tree once is enough.
static bool isRepetitionDraw(int ply) {
    int count = repetitionCount();
    return ply <= 1 ? count == 2 : count == 1;
}

/// Tablebase probe after a capture or promotion, or close to the root.
static bool probeTablebase(int ply, int16_t *score) {
    if (int(pos.pieceTotal) > thisThread->tbLimit || pos.castleRights) return false;
    Move last = pos.undoStack[pos.gamePly - 1].move;
    if (!(last & (MF_CAPTURE | MF_PROMO)) && ply >= 3) return false;
    return tbProbe(score) != 0;
}

/// Syzygy probe after a capture or pawn move. The win/draw/loss tables hold
/// the result for a fresh fifty-move count, which such a move gives. Other
/// tablebase positions are left to the search, so that it still finds mates
/// while the root ranking keeps the win within the rule; below a drawn root,
/// where only drawing moves are searched, every node is probed.
static bool probeSyzygy(int16_t *score) {
    if (int(pos.pieceTotal) > thisThread->syzygyLimit || pos.castleRights) return false;
    Move last = pos.undoStack[pos.gamePly - 1].move;
    if (!(last & (MF_CAPTURE | MF_PAWN | MF_PROMO)) && !syzygy.rootDrawn) return false;
    return syzygyProbeWdl(score);
}

/// True when the table entry (deep enough) settles the node. An exact hit
/// becomes the node's one-move principal variation.
static bool tableSettles(const TTEntry &entry, int16_t alpha, int16_t beta, int depth, Move hashMove) {
    int bound = entry.flags & 7;
    if (bound == BOUND_UPPER) return entry.score <= alpha;
    if (bound == BOUND_LOWER) return entry.score >= beta;
    if (bound != BOUND_EXACT) return false;
    int ply = pos.ply;
    if (ply <= 1 && repetitionCount() != 0) return false;
    if (!hashMove || !hashMoveIsSane(hashMove)) return false;
    Move move = completeMove(hashMove);
    thisThread->pvTable[ply][ply] = move;
    thisThread->pvLength[ply] = uint8_t(ply + 1);
    addHistory(move, 2 * depth);
    return true;
}

int nullMoveDepth(int depth) {
    int reduction = pos.material[pos.sideToMove] <= 800 ? 1 : (depth - 1) / 3;
    return depth - reduction - 2;
}

bool nullMoveAllowed(uint8_t flags, bool checked, bool mateThreat, int depth, int16_t beta) {
    if (!(flags & NODE_NULL_ALLOWED) || checked || mateThreat || beta == SCORE_BOUND || depth < 2) return false;
    int material = pos.material[pos.sideToMove];
    if (!(material > 500 || (material != 0 && depth < 7))) return false;
    // At depth 2 a safe check for the opponent makes the null move unreliable.
    return depth > 2 || !checkThreat(pos.sideToMove, true);
}

/// Starts fetching what a child searched at `depth` reads first: its table
/// bucket (the main table's, or the quiescence table's below depth 1) and the
/// pawn hash record its evaluation needs.
static void prefetchChild(int depth) {
    if (depth >= 1) ttPrefetch();
    else quiescePrefetch();
    prefetchPawnRecord();
}

/// The node's score after passing, searched with a null window at `bound`.
static int16_t nullWindowScore(int bound, int depth) {
    if (depth < 1) return int16_t(-quiesce(int16_t(-bound), int16_t(-bound + 1)));
    return int16_t(-alphaBeta(int16_t(-bound), int16_t(-bound + 1), int8_t(depth), 0, 0));
}

/// Tries the null move. Returns true with *score set on a cut-off; otherwise
/// may detect a mate threat or a position quiet enough to reduce quiet moves.
static bool nullMoveCuts(int16_t beta, int nullDepth, bool &mateThreat, bool &reduceQuiet, int16_t *score) {
    int ply = pos.ply;
    makeNullMove();
    prefetchChild(nullDepth);
    *score = nullWindowScore(beta, nullDepth);
    if (*score >= beta) {
        unmakeMove();
        return true;
    }
    if (*score == ply + 2 - SCORE_BOUND)
        mateThreat = true;  // the opponent mates at once
    else if (*score > beta - NULL_MARGIN && nullWindowScore(beta - NULL_MARGIN, nullDepth) > beta - NULL_MARGIN)
        reduceQuiet = true;
    unmakeMove();
    return false;
}

static bool isPawnToSeventh(Move move, int mover) {
    return (move & MF_PAWN) && row(moveTo(move)) == (mover == WHITE ? 1 : 6);
}

static bool isUnderPromotion(Move move) { return (move & MF_PROMO) && movePromotion(move) != QUEEN; }

/// After making `move`: true when it retakes on the square of the move into
/// this node, which was a promotion or a capture of a piece of equal value.
static bool isRecapture(Move move) {
    const UndoRecord &previous = pos.undoStack[pos.gamePly - 2];
    const UndoRecord &current = pos.undoStack[pos.gamePly - 1];
    if (moveTo(move) != moveTo(previous.move)) return false;
    if (previous.move & MF_PROMO) return true;
    return (previous.move & MF_CAPTURE) &&
           pieceValue[previous.capturedType] == pieceValue[current.capturedType];
}

/// Depth and fraction of the child after `move` has been made: the check
/// extension, the reductions, the recapture and pawn-to-seventh extensions,
/// and a whole ply for every four quarter plies collected.
static void extendOrReduce(Move move, int mover, uint8_t nodeFlags, bool reduceQuiet, int &newDepth, int &fraction,
                           uint8_t &childFlags) {
    bool givesCheck = inCheck();
    if (givesCheck && (newDepth < 2 || (pos.ply < 2 * thisThread->iterationDepth && checkNeedsExtension()))) {
        newDepth++;
        fraction = fraction == 0 && !inDoubleCheck() ? 0 : 1;
        return;
    }
    bool quiet = !(move & (MF_CAPTURE | MF_PROMO)) && !isPawnToSeventh(move, mover);
    if (!givesCheck && (isUnderPromotion(move) || (reduceQuiet && quiet))) {
        newDepth--;
        fraction = 0;
        return;
    }
    if (!(nodeFlags & NODE_RECAPTURE) && isRecapture(move)) {
        fraction += 3;
        childFlags |= NODE_RECAPTURE;
    }
    if (isPawnToSeventh(move, mover)) fraction += (fraction + 3) / 4 + newDepth <= 0 ? 4 : 3;
    if (fraction >= 4) {
        if (pos.ply < 2 * thisThread->iterationDepth) newDepth++;
        fraction -= 4;
    }
}

static void updatePv(Move move) {
    int ply = pos.ply;
    thisThread->pvTable[ply][ply] = move;
    for (int i = ply + 1; i < thisThread->pvLength[ply + 1]; i++)
        thisThread->pvTable[ply][i] = thisThread->pvTable[ply + 1][i];
    thisThread->pvLength[ply] = thisThread->pvLength[ply + 1];
}

/// Where the node's moves come from: the whole list (in check, or along the
/// previous principal variation) or the staged picker.
struct MoveSource {
    bool staged;
    MovePicker picker;
    uint32_t index;
};

/// Prepares the node's moves; returns the quarter plies earned by a single
/// evasion.
static int prepareMoves(MoveSource &source, Move hashMove, bool checked) {
    int ply = pos.ply;
    source.staged = !checked && !thisThread->followPv;
    source.index = pos.moveListStart[ply];
    if (source.staged) {
        startPicker(source.picker, hashMove);
        return 0;
    }
    if (checked)
        genEvasions();
    else
        genAllMoves();
    scoreQuietMoves();
    markHashMove(hashMove);
    if (thisThread->followPv) markPvMove();
    bool singleReply = checked && pos.moveListStart[ply + 1] - pos.moveListStart[ply] == 1;
    return singleReply ? (ply & 1) + 3 : 0;
}

static Move nextMove(MoveSource &source) {
    if (source.staged) return nextPickedMove(source.picker);
    if (source.index >= pos.moveListStart[pos.ply + 1]) return 0;
    return pickNextMove(source.index++);
}

int16_t alphaBeta(int16_t alpha, int16_t beta, int8_t depth, int8_t extension, uint8_t flags) {
    assert(alpha < beta && depth >= 1);
    int ply = pos.ply;
    thisThread->pvLength[ply] = uint8_t(ply);
    countNode();
    if (isRepetitionDraw(ply)) return 0;
    int16_t score;
    if (probeSyzygy(&score) || probeTablebase(ply, &score)) return score;
    if (ply >= MAX_PLY - 1) return evaluate(alpha, beta);

    // Transposition table: hash move, mate threat, null-move veto, cut-off.
    int side = pos.sideToMove;
    int nullDepth = nullMoveDepth(depth);
    TTSlot *bucket = ttBucket();
    TTEntry entry;
    TTSlot *slot = ttProbe(bucket, &entry);
    Move hashMove = 0;
    bool mateThreat = false;
    if (slot) {
        hashMove = unpackMove(entry.move);
        mateThreat = (entry.flags & MATE_THREAT) != 0;
        if ((entry.flags & 7) == BOUND_UPPER && entry.depth >= nullDepth && entry.score < beta)
            flags &= uint8_t(~NODE_NULL_ALLOWED);
        if (entry.depth >= depth && tableSettles(entry, alpha, beta, depth, hashMove)) return entry.score;
    }

    bool checked = inCheck();
    bool reduceQuiet = false;
    if (nullMoveAllowed(flags, checked, mateThreat, depth, beta) &&
        nullMoveCuts(beta, nullDepth, mateThreat, reduceQuiet, &score)) {
        ttStoreNullMove(slot ? slot : bucket + 2, score, depth);
        return score;
    }

    // Internal iterative deepening finds a move to try first.
    if ((flags & NODE_NULL_ALLOWED) && !hashMove && depth > 2) {
        int8_t shallow = int8_t(checked ? std::min(depth - 2, 2) : depth - 2);
        if (alphaBeta(alpha, beta, shallow, extension, flags) <= alpha)
            alphaBeta(-SCORE_BOUND, int16_t(alpha + 1), shallow, extension, flags);
        if (thisThread->pvLength[ply] > ply) hashMove = thisThread->pvTable[ply][ply] & 0xFFFFFF;
    }

    // A static score far below alpha marks a node whose quiet moves may be
    // searched one ply less.
    if (!checked && !mateThreat && std::abs(alpha) < 1000 && depth > 1 && depth < 11 &&
        evaluate(SCORE_BOUND, -SCORE_BOUND) + futilityMargin[depth] < alpha)
        reduceQuiet = true;

    MoveSource source;
    int accumulator = extension + prepareMoves(source, hashMove, checked) + (mateThreat ? 3 : 0);
    int16_t loopAlpha = alpha, best = -SCORE_BOUND;
    Move bestMove = 0;
    bool firstMove = true;
    while (Move move = nextMove(source)) {
        int newDepth = depth - 1;
        int fraction = std::max(0, accumulator - (ply & 1));
        uint8_t childFlags = NODE_NULL_ALLOWED;
        if (!makeMove(move)) continue;
        extendOrReduce(move, side, flags, reduceQuiet, newDepth, fraction, childFlags);
        prefetchChild(newDepth);
        score = searchChild(alpha, beta, newDepth, fraction, childFlags, firstMove);
        firstMove = false;
        unmakeMove();
        if (score <= best) continue;
        best = score;
        bestMove = move;
        if (score <= alpha) continue;
        addHistory(move, depth);
        updatePv(move);
        if (score >= beta) {
            addHistory(move, depth);
            break;
        }
        alpha = score;
    }

    if (firstMove) return checked ? int16_t(ply - SCORE_BOUND) : int16_t(0);
    if (pos.fiftyCount >= 100) return 0;
    uint8_t bound = best <= loopAlpha ? BOUND_UPPER : best >= beta ? BOUND_LOWER : BOUND_EXACT;
    if (mateThreat) bound |= MATE_THREAT;
    ttStore(bucket, bestMove, best, depth, bound, best <= loopAlpha);
    if (bestMove) updateKillers(bestMove);
    return best;
}
