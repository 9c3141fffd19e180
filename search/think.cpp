// The search driver: iterative deepening with aspiration windows, time
// allocation and the time decision, pondering and the abort point.
#include "search/think.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/clock.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "eval/evaluate.h"
#include "eval/pst.h"
#include "search/ordering.h"
#include "search/output.h"
#include "search/root.h"
#include "search/state.h"
#include "search/threads.h"

// Square where an easy recapture is expected, or NO_SQUARE.
static int recaptureSquare = NO_SQUARE;
// A ponder search keeps these until the ponder hit makes them effective.
static int16_t pendingTtAge, pendingMaterialDiff;
// The score to restore when a ponder search is discarded.
static int16_t ponderSavedScore;

static int16_t materialDifference() { return int16_t(pos.material[pos.sideToMove] - pos.material[pos.otherSide]); }

static void savePv() {
    pvTable[0][pvLength[0]] = 0;
    std::memcpy(savedPv, pvTable[0], sizeof savedPv);
}

static void restorePv() {
    std::memcpy(pvTable[0], savedPv, sizeof savedPv);
    int length = 0;
    while (length < MAX_PLY - 1 && savedPv[length]) length++;
    pvLength[0] = uint8_t(length);
}

/// Time allocation for a period of several moves: sets the target, takes
/// the safety margin off avail, and returns false when moveTime is already
/// settled (a clock too short for the moves left, or the period's last move).
static bool allocatePeriod(int32_t &avail, int32_t opponent) {
    const TimeControl &tc = timeControl;
    int32_t movesLeft = tc.movesPerControl;
    if (!(options.optionFlags & OPT_UCI)) {
        int rootPly = pos.gamePly - pos.ply;
        int made = (rootPly + (rootSide() == WHITE ? rootPly & 1 : 0)) / 2;
        movesLeft = tc.movesPerControl - made % tc.movesPerControl;
    }
    safetyMargin = tc.lagAllowance * movesLeft;
    if (safetyMargin > avail - 5 * movesLeft) {
        targetTime = 5;
        timeControl.moveTime = 5;
        return false;
    }
    avail -= safetyMargin;
    targetTime = std::min<int32_t>(2 * (tc.baseTime / tc.movesPerControl), avail / movesLeft);
    if (movesLeft == 1) {
        timeControl.moveTime = uint32_t(avail);
        return false;
    }
    targetTime += tc.increment;
    if ((options.optionFlags & OPT_COMPUTER) && opponent > int64_t(avail) * 6 / 5 && previousScore > -80)
        targetTime = std::max<int32_t>(5, int32_t(int64_t(targetTime) * avail / opponent));
    return true;
}

void allocateTime() {
    TimeControl &tc = timeControl;
    if (tc.movesPerControl == 0 && tc.baseTime == 0) {
        targetTime = int32_t(tc.moveTime);
        return;
    }
    int side = rootSide();
    int32_t avail = std::max(tc.clock[side] - 300, 20);
    int32_t opponent = tc.clock[side ^ 1];
    if (tc.movesPerControl == 0) {
        // Sudden death, or increment only.
        safetyMargin = 300;
        targetTime = std::max<int32_t>(avail / 40 + tc.increment, 5);
        if (tc.increment == 0) {
            int k = previousScore < -20 ? 8 - previousScore / 20 : 8;
            if (opponent > int64_t(k) * avail / 8)
                targetTime = std::max<int32_t>(5, int32_t(int64_t(targetTime) * avail / opponent));
        }
    } else {
        if (!allocatePeriod(avail, opponent)) return;
    }
    int32_t hardLimit = std::min(avail / 3 + targetTime, 6 * targetTime);
    tc.moveTime = uint32_t(std::min(hardLimit, avail / 2 + tc.increment));
}

int32_t searchElapsedCs() { return int32_t((elapsedMs() - timeControl.searchStart) / 10) + timeCredit; }

/// How far the time may be stretched when the score falls below what the
/// earlier iterations promised.
static int32_t scoreDropLimit() {
    int s = currentScore != -SCORE_BOUND ? currentScore : iterationScore;
    int ref = std::max(previousScore, iterationScore);
    int32_t t = targetTime;
    if (!(s < ref - 25 && (s <= 100 || s < ref - 15 * s / 100 - 10))) return t;
    if (s < ref - 500) return t * 7;
    if (s < ref - 350) return t * 6;
    if (s < ref - 250) return t * 5;
    if (s < ref - 150) return t * 4;
    if (s < ref - 90) return t * 3;
    if (s < ref - 60) return t * 5 / 2;
    return t * 2;
}

int32_t searchTimeLimit(int32_t elapsed) {
    if (elapsed < targetTime) return targetTime;
    bool clockRunsOut = elapsed - timeCredit > timeControl.clock[rootSide()] - safetyMargin;
    if (elapsed >= int64_t(timeControl.moveTime) || clockRunsOut) return 0;
    int32_t limit = scoreDropLimit();
    if (windowFail == -1) limit = std::max(limit, targetTime * 5 / 2);
    return limit;
}

void ponderHit() {
    printPV(0, 0);
    uint32_t ponderStart = timeControl.searchStart;
    timeControl.searchStart = elapsedMs();
    if (timeControl.moveTime != 0) {
        allocateTime();
        int s = currentScore != -SCORE_BOUND ? currentScore : iterationScore;
        if (s > -100 && s < 200 && s > previousScore - 15)
            timeCredit = int32_t((timeControl.searchStart - ponderStart) / 10);
    }
    ttAge = pendingTtAge;
    rootMaterialDiff = pendingMaterialDiff;
    pondering = 0;
    searchSignal = SIG_NONE;
}

void pollSignals() {
    int32_t elapsed = 0, limit = 0;
    if (timeControl.moveTime != 0 && !pondering) {
        elapsed = searchElapsedCs();
        limit = searchTimeLimit(elapsed);
    }
    if (searchSignal == SIG_NONE) pollInput(false);
    if (searchSignal == SIG_PONDER_HIT) {
        ponderHit();
        return;
    }
    if (searchSignal == SIG_NONE) {
        if (elapsed <= limit) return;
        searchSignal = SIG_MOVE_NOW;
    }
    throw SearchAbandoned{};
}

/// When our move and the expected reply have been played, the previous
/// line minus those two moves starts the new search one iteration early.
static void carryOverOrClearPv() {
    Move lastMove = pos.gamePly > 0 ? pos.undoStack[pos.gamePly - 1].move : 0;
    if (pvLength[0] >= 3 && lastDepth >= 3 && pos.gamePly == ttAge + 2 && lastMove &&
        (lastMove & 0xFFF) == (pvTable[0][1] & 0xFFF)) {
        pvTable[0][pvLength[0]] = 0;
        for (int i = 0; i + 2 <= pvLength[0]; i++) pvTable[0][i] = pvTable[0][i + 2];
        pvLength[0] = uint8_t(pvLength[0] - 2);
        savePv();
        iterationDepth = int16_t(std::max(1, std::min<int>(lastDepth, timeControl.maxDepth) - 1));
        printPV(iterationDepth, previousScore);
        return;
    }
    std::memset(pvTable, 0, sizeof pvTable);
    pvLength[0] = 0;
}

/// A capture that won material just before our turn, which only one of our
/// pieces can answer: its square is where an easy recapture may be.
static void findRecaptureCandidate() {
    recaptureSquare = NO_SQUARE;
    if (pos.gamePly < 1 || pos.gamePly != ttAge + 2) return;
    int target = moveTo(pos.undoStack[pos.gamePly - 1].move);
    if (rootMaterialDiff > materialDifference() + 200 && countAttackers(target, pos.sideToMove) == 1)
        recaptureSquare = target;
}

/// Everything the search needs before its first iteration.
static void prepareSearch() {
    timeCredit = 0;
    if (timeControl.moveTime != 0 && !pondering) allocateTime();
    clearHistoryAndKillers();
    pos.ply = 0;
    nodeCount = 0;
    carryOverOrClearPv();
    findRecaptureCandidate();
    if (!pondering) {
        rootMaterialDiff = materialDifference();
        ttAge = pos.gamePly;
    } else {
        pendingMaterialDiff = materialDifference();
        pendingTtAge = pos.gamePly;
        ponderSavedScore = previousScore;
    }
    lastDepth = 0;
    if (analyzing && options.multiPv > 1) {
        clearMultiPv();
        initPieceSquareTables();
    }
    checkPhaseChange();
    int16_t tbScore;
    bool drawnRoot = pos.pieceTotal <= tbState && pos.castleRights == 0 && tbProbe(&tbScore) && tbScore == 0;
    tbLimit = drawnRoot ? -2 : tbState;
    // A Syzygy path set during the last search takes effect now.
    syzygyLoad();
    syzygyHits = 0;
    syzygyRankRootMoves();
    syzygyLimit = int8_t(syzygySearchMen());
    iterationScore = previousScore;
    alphaWindow = int16_t(previousScore - ASPIRATION);
    betaWindow = int16_t(previousScore + ASPIRATION);
    windowFail = 0;
}

static bool multiPvAnalysis() { return analyzing && options.multiPv > 1; }

/// One iteration: the windowed search and, when the score falls outside the
/// window, the full-window re-search. Returns the iteration's score.
static int16_t searchIteration() {
    int16_t score = searchRoot(alphaWindow, betaWindow, int8_t(iterationDepth));
    if (rootAbort) return score;
    if (score <= alphaWindow) {
        windowFail = -1;
        if (iterationDepth >= 3) printWindowFail(false);
        restorePv();
        currentScore = -SCORE_BOUND;
        alphaWindow = -SCORE_BOUND;
        score = searchRoot(-SCORE_BOUND, SCORE_BOUND, int8_t(iterationDepth));
    } else if (score >= betaWindow) {
        windowFail = 1;
        if (iterationDepth >= 3) printWindowFail(true);
        alphaWindow = int16_t(score - 1);
        score = searchRoot(-SCORE_BOUND, SCORE_BOUND, int8_t(iterationDepth));
    }
    return score;
}

/// True when the completed iteration settles the move: a mate found, a
/// single legal move, or the expected easy recapture confirmed.
static bool iterationEndsSearch(int16_t score) {
    bool playing = !pondering && !analyzing;
    if (iterationDepth >= 3 && std::abs(score) > MATE_REPORT && !(multiPvAnalysis() && iterationDepth < 32))
        return true;
    if (rootLegalCount == 1 && iterationDepth >= 3 && playing) return true;
    if (recaptureSquare != NO_SQUARE) {
        if (moveTo(pvTable[0][0]) != recaptureSquare)
            recaptureSquare = NO_SQUARE;
        else if (playing && iterationDepth >= 6)
            return true;
    }
    return false;
}

/// Iterative deepening; returns the score of the last search.
static int16_t deepen() {
    int16_t score = previousScore;
    while (iterationDepth <= timeControl.maxDepth) {
        publishIterationDepth(iterationDepth);
        followPv = true;
        rootAbort = false;
        currentScore = -SCORE_BOUND;
        selDepth = iterationDepth;
        score = searchIteration();
        if (rootAbort) break;
        windowFail = 0;
        lastDepth = iterationDepth;
        alphaWindow = multiPvAnalysis() ? int16_t(-SCORE_BOUND) : int16_t(score - ASPIRATION);
        betaWindow = multiPvAnalysis() ? int16_t(SCORE_BOUND) : int16_t(score + ASPIRATION);
        savePv();
        iterationScore = score;
        if (iterationDepth < 3) printPV(iterationDepth, score);
        if (iterationEndsSearch(score)) break;
        iterationDepth++;
    }
    return score;
}

/// A finished ponder or analysis search waits for the command that ends it.
/// The wait polls without the depth gate, so that a search that ended in its
/// first two iterations still sees that command. Without an input reader
/// nothing could end the wait, and the search returns at once.
static void waitForEnd() {
    while (pondering || analyzing) {
        if (!pollInput(true)) return;
        pollSignals();
    }
}

/// The abort point: takes back the search path's moves and keeps the best
/// line known.
static void abandonSearch() {
    while (pos.ply > 0) unmakeMove();
    if (pondering) {
        pvLength[0] = 0;
        previousScore = ponderSavedScore;
        return;
    }
    if (currentScore > alphaWindow) {
        previousScore = currentScore;
        if (searchSignal == SIG_MOVE_NOW && iterationDepth < 3) printPV(iterationDepth, currentScore);
    } else {
        restorePv();
        previousScore = iterationScore;
    }
}

void think() {
    searching = 1;
    iterationDepth = 1;
    searchSignal = SIG_NONE;
    try {
        prepareSearch();
        startHelpers();
        int16_t score = deepen();
        stopHelpers();
        waitForEnd();
        previousScore = score;
    } catch (const SearchAbandoned &) {
        stopHelpers();
        abandonSearch();
    }
    searching = 0;
}
