// Move ordering state and the move pickers.
#include "search/ordering.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "board/castling.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "eval/pst.h"
#include "search/state.h"

// Ordering score marks set by the search.
constexpr int32_t MARK_PV_MOVE = 1 << 30;
constexpr int32_t MARK_HASH_MOVE = 1 << 29;
constexpr int32_t MARK_FIRST_KILLER = 0xC00000;
constexpr int32_t MARK_SECOND_KILLER = 0x800000;

void clearHistoryAndKillers() {
    std::memset(thisThread->history, 0, sizeof thisThread->history);
    std::memset(thisThread->killers, 0, sizeof thisThread->killers);
}

void addHistory(Move move, int amount) {
    int32_t &counter = thisThread->history[move & 4095];
    counter += amount;
    if (counter <= HISTORY_LIMIT) return;
    for (int32_t &entry : thisThread->history) entry /= 2;
}

void updateKillers(Move best) {
    if (best & (MF_CAPTURE | MF_PROMO)) return;
    Move *slots = thisThread->killers[pos.ply];
    if (best == slots[0]) return;
    slots[1] = slots[0];
    slots[0] = best;
}

static bool sameSquares(Move a, Move b) { return ((a ^ b) & 0xFFFFFF) == 0; }

void markHashMove(Move move) {
    if (!move) return;
    for (MoveEntry *entry = plyMovesBegin(); entry < plyMovesEnd(); entry++)
        if (sameSquares(entry->move, move)) {
            entry->score |= MARK_HASH_MOVE;
            return;
        }
}

void markPvMove() {
    thisThread->followPv = false;
    int ply = pos.ply;
    if (ply >= thisThread->pvLength[0] || !thisThread->pvTable[0][ply]) return;
    for (MoveEntry *entry = plyMovesBegin(); entry < plyMovesEnd(); entry++)
        if (sameSquares(entry->move, thisThread->pvTable[0][ply])) {
            entry->score |= MARK_PV_MOVE;
            thisThread->followPv = true;
            return;
        }
}

/// The first entry of list[from .. end) with the highest score, the scores
/// compared as unsigned numbers.
static uint32_t bestEntry(const MoveEntry *list, uint32_t from, uint32_t end) {
    // Two passes without a data-dependent branch: the highest score (a loop
    // the compiler turns into vector instructions), then the first entry holding it.
    uint32_t top = 0;
    for (uint32_t i = from; i < end; i++) top = std::max(top, uint32_t(list[i].score));
    uint32_t best = from;
    while (uint32_t(list[best].score) != top) best++;
    return best;
}

Move pickNextMove(uint32_t index) {
    MoveEntry *list = pos.moveList;
    assert(index < pos.moveListStart[pos.ply + 1]);
    uint32_t best = bestEntry(list, index, pos.moveListStart[pos.ply + 1]);
    Move chosen = list[best].move;
    list[best] = list[index];
    return chosen;
}

Move pickMoveExcluding(uint32_t index, Move exclude1, Move exclude2) {
    MoveEntry *list = pos.moveList;
    uint32_t &end = pos.moveListStart[pos.ply + 1];
    // Remove excluded entries, filling each gap with the last entry.
    for (uint32_t i = index; i < end;) {
        Move move = list[i].move;
        if (move == exclude1 || move == exclude2)
            list[i] = list[--end];
        else
            i++;
    }
    if (index >= end) return 0;
    uint32_t best = bestEntry(list, index, end);
    if (list[best].score <= 0) return 0;
    Move chosen = list[best].move;
    list[best] = list[index];
    return chosen;
}

Move completeMove(Move move) {
    int from = moveFrom(move), to = moveTo(move);
    Move complete = move & 0x000F0FFF;
    if (!isEmpty(to)) complete |= MF_CAPTURE;
    int type = pieceType(pos.board[from]);
    if (type == PAWN) {
        complete |= MF_PAWN;
        if (row(to) == 0 || row(to) == 7)
            complete |= MF_PROMO;
        else if (std::abs(from - to) == 16)
            complete |= MF_DOUBLE;
        else if (to == pos.epSquare)
            complete |= MF_CAPTURE | MF_EP;
    } else if (type == KING) {
        if (Move castling = castlingMoveFor(from, to)) return castling;
        if (std::abs(column(from) - column(to)) == 2) complete |= MF_CASTLE;
    }
    return complete;
}

/// True when no piece stands strictly between two squares on a line.
static bool pathIsClear(int from, int to, Direction direction) {
    return (rayMask[from][direction] & rayMask[to][opposite(direction)] & pos.occupied) == 0;
}

static bool pawnStepIsValid(int from, int to) {
    int forward = pos.sideToMove == WHITE ? -8 : 8;
    if (to == from + forward) return row(to) != 0 && row(to) != 7;
    int startRow = pos.sideToMove == WHITE ? 6 : 1;
    return to == from + 2 * forward && row(from) == startRow && isEmpty(from + forward);
}

bool killerIsValid(Move move) {
    if (!move) return false;
    if (move & MF_CASTLE) return castlingIsOpen(move);
    int from = moveFrom(move), to = moveTo(move);
    if (!isPieceOf(from, pos.sideToMove) || !isEmpty(to)) return false;
    int type = pieceType(pos.board[from]);
    Direction direction = lineDirection[from][to];
    switch (type) {
    case PAWN: return pawnStepIsValid(from, to);
    case KNIGHT:
        for (int i = 0; knightTargets[from][i] >= 0; i++)
            if (knightTargets[from][i] == to) return true;
        return false;
    case BISHOP: return isDiagonal(direction) && pathIsClear(from, to, direction);
    case ROOK: return direction != NO_DIRECTION && !isDiagonal(direction) && pathIsClear(from, to, direction);
    case QUEEN: return direction != NO_DIRECTION && pathIsClear(from, to, direction);
    default: return squareDistance(from, to) == 1;
    }
}

bool hashMoveIsSane(Move move) {
    int from = moveFrom(move), to = moveTo(move);
    int side = pos.sideToMove;
    if (!isPieceOf(from, side)) return false;
    int type = pieceType(pos.board[from]);
    // Castling onto the own rook is the one move to an own piece.
    if (type == KING && castlingMoveFor(from, to)) return true;
    if (isPieceOf(to, side)) return false;
    if (type == PAWN && column(from) != column(to) && isEmpty(to)) return to == pos.epSquare;
    return type != KING || std::abs(column(from) - column(to)) != 2;  // two files only when castling
}

// Stages of the staged picker.
enum { STAGE_HASH, STAGE_FIRST_CAPTURE, STAGE_CAPTURES, STAGE_KILLER, STAGE_FIRST_QUIET, STAGE_QUIET, STAGE_DONE };

void startPicker(MovePicker &picker, Move hashMove) {
    picker.stage = STAGE_HASH;
    picker.index = pos.moveListStart[pos.ply];
    picker.hashMove = hashMove;
    picker.firstKiller = 0;
    pos.moveListStart[pos.ply + 1] = pos.moveListStart[pos.ply];
}

/// Ordering score of a quiet move: piece-square gain and history, above 0.
static int32_t quietScore(Move move) {
    int side = pos.sideToMove, from = moveFrom(move), to = moveTo(move);
    int type = pieceType(pos.board[from]);
    return pieceSquare[side][type][to] - pieceSquare[side][type][from] + 32 + 64 * thisThread->history[move & 4095];
}

void scoreQuietMoves() {
    Move *killers = thisThread->killers[pos.ply];
    for (MoveEntry *entry = plyMovesBegin(); entry < plyMovesEnd(); entry++) {
        Move move = entry->move;
        if (move & (MF_CAPTURE | MF_PROMO)) continue;
        int32_t score = quietScore(move);
        if (move == killers[0])
            score |= MARK_FIRST_KILLER;
        else if (move == killers[1])
            score |= MARK_SECOND_KILLER;
        entry->score = score;
    }
}

/// Scores the quiet stage's moves: only the second killer is marked, the
/// first was tried in its own stage.
static void scoreQuietStage() {
    Move secondKiller = thisThread->killers[pos.ply][1];
    for (MoveEntry *entry = plyMovesBegin(); entry < plyMovesEnd(); entry++) {
        entry->score = quietScore(entry->move);
        if (entry->move == secondKiller) entry->score |= MARK_SECOND_KILLER;
    }
}

Move nextPickedMove(MovePicker &picker) {
    uint32_t end = pos.moveListStart[pos.ply + 1];
    switch (picker.stage) {
    case STAGE_HASH:
        picker.stage = STAGE_FIRST_CAPTURE;
        if (picker.hashMove && hashMoveIsSane(picker.hashMove)) {
            picker.hashMove = completeMove(picker.hashMove);
            return picker.hashMove;
        }
        [[fallthrough]];
    case STAGE_FIRST_CAPTURE:
        genCaptures();
        if (Move move = pickMoveExcluding(picker.index, picker.hashMove, 0)) {
            picker.index++;
            picker.stage = STAGE_CAPTURES;
            return move;
        }
        picker.stage = STAGE_KILLER;
        return nextPickedMove(picker);
    case STAGE_CAPTURES:
        if (picker.index < end) return pickNextMove(picker.index++);
        [[fallthrough]];
    case STAGE_KILLER: {
        picker.stage = STAGE_FIRST_QUIET;
        Move killer = thisThread->killers[pos.ply][0];
        if (!sameSquares(killer, picker.hashMove) && killerIsValid(killer)) {
            picker.firstKiller = completeMove(killer);
            return picker.firstKiller;
        }
    }
        [[fallthrough]];
    case STAGE_FIRST_QUIET:
        picker.index = pos.moveListStart[pos.ply];
        genQuietMoves();
        scoreQuietStage();
        picker.stage = STAGE_DONE;
        if (Move move = pickMoveExcluding(picker.index, picker.hashMove, picker.firstKiller)) {
            picker.index++;
            picker.stage = STAGE_QUIET;
            return move;
        }
        return 0;
    case STAGE_QUIET:
        if (picker.index < end) return pickNextMove(picker.index++);
        picker.stage = STAGE_DONE;
        return 0;
    default: return 0;
    }
}
