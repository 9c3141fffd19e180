// One iterative-deepening step for any search thread. The main thread's
// window failures are reported as thinking lines; the helpers search
// silently.
#include "search/deepen.h"

#include <cstring>

#include "board/types.h"
#include "egtb/syzygy.h"
#include "search/ordering.h"
#include "search/output.h"
#include "search/root.h"
#include "search/state.h"

void deepenBegin() {
    clearHistoryAndKillers();
    thisThread->nodeCount = 0;
    thisThread->lastDepth = 0;
    syzygyHits = 0;
}

void deepenWindow(int16_t score) {
    bool fullWindow = searchMultiPv > 1;
    thisThread->alphaWindow = fullWindow ? int16_t(-SCORE_BOUND) : int16_t(score - ASPIRATION);
    thisThread->betaWindow = fullWindow ? int16_t(SCORE_BOUND) : int16_t(score + ASPIRATION);
    thisThread->windowFail = 0;
}

void deepenSaveLine() {
    thisThread->pvTable[0][thisThread->pvLength[0]] = 0;
    std::memcpy(thisThread->savedPv, thisThread->pvTable[0], sizeof thisThread->savedPv);
}

void deepenRestoreLine() {
    std::memcpy(thisThread->pvTable[0], thisThread->savedPv, sizeof thisThread->savedPv);
    int length = 0;
    while (length < MAX_PLY - 1 && thisThread->savedPv[length]) length++;
    thisThread->pvLength[0] = uint8_t(length);
}

/// A score at or below the window: the line of the last iteration stands
/// until the full-window search finds a better one.
static int16_t researchFailLow(int depth, int16_t score) {
    thisThread->windowFail = -1;
    deepenRestoreLine();
    if (isMainSearchThread() && depth >= 3) printWindowFail(false, depth, score);
    thisThread->currentScore = -SCORE_BOUND;
    thisThread->alphaWindow = -SCORE_BOUND;
    return searchRoot(-SCORE_BOUND, SCORE_BOUND, int8_t(depth));
}

/// A score at or above the window: the full-window search keeps the move
/// that failed high unless another does better.
static int16_t researchFailHigh(int depth, int16_t score) {
    thisThread->windowFail = 1;
    if (isMainSearchThread() && depth >= 3) printWindowFail(true, depth, score);
    thisThread->alphaWindow = int16_t(score - 1);
    return searchRoot(-SCORE_BOUND, SCORE_BOUND, int8_t(depth));
}

int16_t deepenIteration(int depth) {
    thisThread->iterationDepth = int16_t(depth);
    thisThread->followPv = true;
    thisThread->rootAbort = false;
    thisThread->currentScore = -SCORE_BOUND;
    thisThread->selDepth = int16_t(depth);
    int16_t score = searchRoot(thisThread->alphaWindow, thisThread->betaWindow, int8_t(depth));
    if (thisThread->rootAbort) return score;
    if (score <= thisThread->alphaWindow) return researchFailLow(depth, score);
    if (score >= thisThread->betaWindow) return researchFailHigh(depth, score);
    return score;
}

void deepenComplete(int depth, int16_t score) {
    thisThread->lastDepth = int16_t(depth);
    deepenWindow(score);
    deepenSaveLine();
    thisThread->iterationScore = score;
}
