// Root search and the MultiPV store.
#include "search/root.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/output.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "search/alphabeta.h"
#include "search/limits.h"
#include "search/ordering.h"
#include "search/output.h"
#include "search/state.h"
#include "search/threads.h"
#include "search/tt.h"

int16_t multiPvScores[MAX_MULTI_PV];
Move multiPvLines[MAX_MULTI_PV][MAX_PLY];
int searchMultiPv = 1;
int shownMultiPv = 1;

void clearMultiPv() {
    for (int i = 0; i < MAX_MULTI_PV; i++) {
        multiPvScores[i] = -SCORE_BOUND;
        multiPvLines[i][0] = 0;
    }
}

/// True when the running search keeps several lines: on the main thread
/// only, as helpers search for the main thread's table.
static bool multiPvSearch() { return isMainSearchThread() && searchMultiPv > 1; }

/// With several lines the previous iteration's lines come first, in their
/// order; otherwise the previous principal variation's move does.
static void orderRootMoves() {
    if (!multiPvSearch() || multiPvScores[0] == -SCORE_BOUND) {
        markPvMove();
        return;
    }
    for (int k = 0; k < searchMultiPv && multiPvScores[k] != -SCORE_BOUND; k++)
        for (MoveEntry *entry = plyMovesBegin(); entry < plyMovesEnd(); entry++)
            if (entry->move == multiPvLines[k][0]) entry->score = INT32_MAX - k;
}

/// Inserts the line of a root move that raised alpha into the MultiPV
/// store, keeping it sorted, and returns the line's place (0 = best).
/// `filled` counts the lines written during this root search; the lines
/// after them are the previous iteration's.
static int storeMultiPvLine(Move move, int16_t score, int &filled) {
    int count = searchMultiPv;
    int slot = count - 1;  // the move's old line, else the last line
    for (int i = filled; i < count; i++)
        if (multiPvScores[i] != -SCORE_BOUND && multiPvLines[i][0] == move) {
            slot = i;
            break;
        }
    int place = filled;
    for (int i = 0; i < filled; i++)
        if (score > multiPvScores[i]) {
            place = i;
            break;
        }
    if (multiPvScores[place] != -SCORE_BOUND && place < slot) {
        std::memmove(&multiPvLines[place + 1], &multiPvLines[place], sizeof multiPvLines[0] * (slot - place));
        std::memmove(&multiPvScores[place + 1], &multiPvScores[place], sizeof multiPvScores[0] * (slot - place));
    }
    Move *line = multiPvLines[place];
    int length = 0;
    line[length++] = move;
    for (int i = 1; i < thisThread->pvLength[1] && length < MAX_PLY - 1; i++)
        line[length++] = thisThread->pvTable[1][i];
    line[length] = 0;
    multiPvScores[place] = score;
    if (filled < count) filled++;
    return place;
}

void printMultiPvLines(int depth) {
    printPV(depth, multiPvScores[0]);  // the line to play, lengthened from the table
    for (int i = 1; i < shownMultiPv && multiPvScores[i] != -SCORE_BOUND; i++)
        printLine(i + 1, depth, multiPvScores[i], multiPvLines[i], BOUND_EXACT);
}

/// True when, at a drawn tablebase root, the move just made leads to a
/// position the tables score as a win or loss.
static bool leavesTablebaseDraw() {
    int16_t score;
    return thisThread->tbLimit == TB_LIMIT_DRAWN_ROOT && tbProbe(&score) && score != 0;
}

static void copyRootPv(Move move) {
    thisThread->pvTable[0][0] = move;
    for (int i = 1; i < thisThread->pvLength[1]; i++) thisThread->pvTable[0][i] = thisThread->pvTable[1][i];
    thisThread->pvLength[0] = thisThread->pvLength[1];
}

int16_t searchRoot(int16_t alpha, int16_t beta, int8_t depth) {
    assert(alpha < beta && pos.ply == 0);
    assert(!multiPvSearch() || (alpha == -SCORE_BOUND && beta == SCORE_BOUND));
    countNode();
    if (isMainSearchThread() && uciMode()) reply("info depth %d seldepth %d\n", depth, depth);
    TTEntry entry;
    bool found = ttTable && ttProbeRoot(&entry);
    bool checked = inCheck();
    if (checked)
        genEvasions();
    else
        genAllMoves();
    scoreQuietMoves();
    if (found) markHashMove(unpackMove(entry.move));
    orderRootMoves();

    uint32_t start = pos.moveListStart[0], end = pos.moveListStart[1];
    thisThread->rootMoveCount = int16_t(end - start);
    thisThread->rootLegalCount = thisThread->rootMoveCount;
    thisThread->rootMoveNumber = 1;
    int16_t best = -SCORE_BOUND, rootAlpha = alpha;
    Move bestMove = 0;
    int filled = 0, leftOut = 0;
    bool firstMove = true;
    // Root moves the interface chose are searched whatever the tablebases say.
    bool chosenMoves = searchLimits.rootMoveCount > 0;
    for (uint32_t index = start; index < end; index++, thisThread->rootMoveNumber++) {
        Move move = pickNextMove(index);
        if (!rootMoveSearched(move)) {
            leftOut++;
            continue;
        }
        // Moves that spoil the tablebase result count as unplayable.
        if ((!chosenMoves && !syzygyRootAllows(move)) || !makeMove(move)) {
            thisThread->rootLegalCount--;
            continue;
        }
        if (!chosenMoves && leavesTablebaseDraw()) {
            unmakeMove();
            continue;
        }
        thisThread->rootMove = move;
        uint32_t elapsed = isMainSearchThread() && uciMode() ? searchElapsedMs() : 0;
        if (elapsed > 1000)
            reply("info currmove %s currmovenumber %d nodes %llu nps %u\n", moveToUci(move),
                  thisThread->rootMoveNumber - thisThread->rootMoveCount + thisThread->rootLegalCount - leftOut,
                  (unsigned long long)totalNodes(), nodesPerSecond(elapsed));
        bool extend = inCheck() && (depth < 3 || checkNeedsExtension());
        // Until every line has a move, each root move gets its exact score.
        bool fullWindow = firstMove || (multiPvSearch() && filled < searchMultiPv);
        int16_t score = searchChild(alpha, beta, extend ? depth : depth - 1, 0, 1, fullWindow);
        firstMove = false;
        unmakeMove();

        if (score > best) {
            best = score;
            thisThread->currentScore = score;
            bestMove = move;
            addHistory(move, depth);
        }
        if (score <= alpha) continue;
        if (thisThread->windowFail == 1 && score <= thisThread->alphaWindow) {
            alpha = score;  // the re-search after a fail high only raises alpha
            continue;
        }
        if (multiPvSearch()) {
            // The lines are shown when the iteration is complete; alpha is
            // the last line's score once every line has a move.
            if (storeMultiPvLine(move, score, filled) == 0) copyRootPv(move);
            if (filled == searchMultiPv) alpha = multiPvScores[filled - 1];
            continue;
        }
        copyRootPv(move);
        if (thisThread->iterationDepth >= 3 && isMainSearchThread())
            printPV(depth, score, score >= beta ? BOUND_LOWER : BOUND_EXACT);
        if (score >= beta) {
            addHistory(bestMove, depth);
            break;
        }
        alpha = score;
    }

    if (!bestMove) {
        thisThread->rootAbort = true;
        return checked ? int16_t(-SCORE_BOUND) : int16_t(0);
    }
    if (pos.fiftyCount >= 100) {
        thisThread->rootAbort = true;
        return 0;
    }
    uint8_t bound = best <= rootAlpha ? BOUND_UPPER : best >= beta ? BOUND_LOWER : BOUND_EXACT;
    if (ttTable) ttStoreRoot(bestMove, best, depth, bound, best <= rootAlpha);
    return best;
}
