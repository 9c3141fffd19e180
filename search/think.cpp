// The main thread's search: its set-up, iterative deepening under the
// clock, the time decision, pondering and the abort point.
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
#include "engine/output.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "eval/evaluate.h"
#include "eval/pst.h"
#include "search/allocation.h"
#include "search/deepen.h"
#include "search/limits.h"
#include "search/output.h"
#include "search/root.h"
#include "search/state.h"
#include "search/strength.h"
#include "search/threads.h"

// Square where an easy recapture is expected, or NO_SQUARE.
static int recaptureSquare = NO_SQUARE;
// A ponder search keeps these until the ponder hit makes them effective.
static int16_t pendingTtAge, pendingMaterialDiff;
// The score to restore when a ponder search is discarded.
static int16_t ponderSavedScore;
// Set when the node budget ended the search.
static bool budgetSpent;
// Set when the search began with the line carried over from the last one,
// which is a move to play before any iteration has completed.
static bool lineCarriedOver;

static bool multiPvSearch() { return searchMultiPv > 1; }

static int16_t materialDifference() { return int16_t(pos.material[pos.sideToMove] - pos.material[pos.otherSide]); }

void ponderHit() {
    printPV(0, 0);
    uint32_t ponderStart = timeControl.searchStart;
    timeControl.searchStart = elapsedMs();
    if (timeControl.moveTime != 0) {
        allocateTime();
        int s = mainThread.currentScore != -SCORE_BOUND ? mainThread.currentScore : mainThread.iterationScore;
        if (s > -100 && s < 200 && s > mainThread.previousScore - 15)
            mainThread.timeCredit = int32_t((timeControl.searchStart - ponderStart) / 10);
    }
    mainThread.ttAge = pendingTtAge;
    publishTableAge(mainThread.ttAge);
    mainThread.rootMaterialDiff = pendingMaterialDiff;
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

/// True when our move and the expected reply have been played, so that
/// the previous line minus those two moves can start the new search one
/// iteration early. The reply must be the expected one, its promotion piece
/// included: the line's later moves may be moves only of the piece expected.
static bool lineCanCarryOver() {
    Move lastMove = pos.gamePly > 0 ? pos.undoStack[pos.gamePly - 1].move : 0;
    return mainThread.pvLength[0] >= 3 && mainThread.lastDepth >= 3 && pos.gamePly == mainThread.ttAge + 2 && lastMove &&
           (lastMove & 0xF0FFF) == (mainThread.pvTable[0][1] & 0xF0FFF) && rootMoveSearched(mainThread.pvTable[0][2]);
}

/// Starts the search from the previous line minus its first two moves, at
/// the depth below the one it came from; `lastDepth` is that search's.
static void carryOverLine(int lastDepth) {
    mainThread.pvTable[0][mainThread.pvLength[0]] = 0;
    for (int i = 0; i + 2 <= mainThread.pvLength[0]; i++) mainThread.pvTable[0][i] = mainThread.pvTable[0][i + 2];
    mainThread.pvLength[0] = uint8_t(mainThread.pvLength[0] - 2);
    deepenSaveLine();
    mainThread.iterationDepth = int16_t(std::max(1, std::min(lastDepth, searchDepthLimit()) - 1));
    printPV(mainThread.iterationDepth, mainThread.previousScore);
}

static void clearLine() {
    std::memset(mainThread.pvTable, 0, sizeof mainThread.pvTable);
    mainThread.pvLength[0] = 0;
}

/// A capture that won material just before our turn, which only one of our
/// pieces can answer: its square is where an easy recapture may be.
static void findRecaptureCandidate() {
    recaptureSquare = NO_SQUARE;
    if (pos.gamePly < 1 || pos.gamePly != mainThread.ttAge + 2) return;
    int target = moveTo(pos.undoStack[pos.gamePly - 1].move);
    if (mainThread.rootMaterialDiff > materialDifference() + 200 && countAttackers(target, pos.sideToMove) == 1)
        recaptureSquare = target;
}

/// Everything the search needs before its first iteration.
static void prepareSearch() {
    mainThread.timeCredit = 0;
    budgetSpent = false;
    if (timeControl.moveTime != 0 && !pondering) {
        allocateTime();
        debugPrint("TIME-> target %ld limit %lu\n", long(mainThread.targetTime), (unsigned long)timeControl.moveTime);
    }
    pos.ply = 0;
    forgetHelpers();
    shownMultiPv = searchMultiPv = analyzing || uciMode() ? std::clamp<int>(options.multiPv, 1, MAX_MULTI_PV) : 1;
    lineCarriedOver = lineCanCarryOver();
    int lastDepth = mainThread.lastDepth;
    findRecaptureCandidate();
    deepenBegin();
    if (lineCarriedOver) carryOverLine(lastDepth);
    else clearLine();
    if (!pondering) {
        mainThread.rootMaterialDiff = materialDifference();
        mainThread.ttAge = pos.gamePly;
    } else {
        pendingMaterialDiff = materialDifference();
        pendingTtAge = pos.gamePly;
        ponderSavedScore = mainThread.previousScore;
    }
    if (multiPvSearch()) {
        clearMultiPv();
        if (analyzing) initPieceSquareTables();  // the next step then clears every hash table
    }
    checkPhaseChange();
    int16_t tbScore;
    bool tablebaseRoot = pos.pieceTotal <= tbState && pos.castleRights == 0 && tbProbe(&tbScore);
    mainThread.tbLimit = tablebaseRoot && tbScore == 0 ? TB_LIMIT_DRAWN_ROOT : tbState;
    syzygyRankRootMoves();
    mainThread.syzygyLimit = int8_t(syzygySearchMen());
    strengthLimitSearch(searchLimits.gameMove && !analyzing && !tablebaseRoot && !syzygy.rootFilter);
    mainThread.iterationScore = mainThread.previousScore;
    deepenWindow(mainThread.previousScore);
}

/// True when the completed iteration settles the move: a mate found, a
/// single legal move, or the expected easy recapture confirmed. A mate
/// search ends only at a mate within its number of moves.
static bool iterationEndsSearch(int16_t score) {
    if (searchLimits.mateMoves) return mateWithinLimit(score);
    bool playing = !pondering && !analyzing;
    if (mainThread.iterationDepth >= 3 && std::abs(score) > MATE_REPORT &&
        !(analyzing && multiPvSearch() && mainThread.iterationDepth < 32))
        return true;
    if (mainThread.rootLegalCount == 1 && mainThread.iterationDepth >= 3 && playing) return true;
    if (recaptureSquare != NO_SQUARE) {
        if (moveTo(mainThread.pvTable[0][0]) != recaptureSquare)
            recaptureSquare = NO_SQUARE;
        else if (playing && mainThread.iterationDepth >= 6)
            return true;
    }
    return false;
}

/// Iterative deepening on the main thread, which reports its lines and
/// decides when the move is settled; returns the score of the last search.
static int16_t deepen() {
    int16_t score = mainThread.previousScore;
    while (mainThread.iterationDepth <= searchDepthLimit()) {
        publishIterationDepth(mainThread.iterationDepth);
        score = deepenIteration(mainThread.iterationDepth);
        if (mainThread.rootAbort) break;
        deepenComplete(mainThread.iterationDepth, score);
        if (multiPvSearch()) printMultiPvLines(mainThread.iterationDepth);
        else if (mainThread.iterationDepth < 3) printPV(mainThread.iterationDepth, score);
        if (iterationEndsSearch(score)) break;
        mainThread.iterationDepth++;
    }
    return score;
}

/// True when a search that ended with `score` must wait for a command: a
/// ponder search, analysis, and a mate search that found no mate within its
/// moves.
static bool waitsForCommand(int score) {
    return pondering || analyzing || (searchLimits.untilStop && !mateWithinLimit(score));
}

/// A finished ponder or analysis search waits for the command that ends it.
/// The wait polls without the depth gate, so that a search that ended in its
/// first two iterations still sees that command. Without an input reader
/// nothing could end the wait, and the search returns at once.
static void waitForEnd(int score) {
    while (waitsForCommand(score)) {
        if (!pollInput(true)) return;
        pollSignals();
    }
}

void stopAtNodeBudget() {
    // Unless the line was carried over, the first iteration always completes,
    // so that there is a move to play; a ponder search has no budget until
    // the ponder hit, except a weakened one, which then waits for it.
    if ((pondering && !strengthLimited()) || (mainThread.lastDepth < 1 && !lineCarriedOver)) return;
    budgetSpent = true;
    if (!analyzing && !pondering) searchSignal = SIG_MOVE_NOW;
    throw SearchAbandoned{};
}

/// A ponder search whose expected reply was not played: its line is
/// forgotten and the score of the last real search restored.
static void discardPonderSearch() {
    mainThread.pvLength[0] = 0;
    mainThread.previousScore = ponderSavedScore;
}

/// The abort point: takes back the search path's moves and keeps the best
/// line known. The line is printed when no thinking line has shown it (a
/// stop in the first two iterations), and at the node budget, to report the
/// nodes of all threads.
static void abandonSearch() {
    while (pos.ply > 0) unmakeMove();
    if (pondering && !budgetSpent) {
        discardPonderSearch();
        return;
    }
    if (mainThread.currentScore > mainThread.alphaWindow) {
        mainThread.previousScore = mainThread.currentScore;
        // Several lines are shown when an iteration is complete: a first line
        // that the unfinished one changed is shown, as its move is played.
        bool lineChanged = multiPvSearch() && mainThread.pvTable[0][0] != mainThread.savedPv[0];
        if (budgetSpent || lineChanged || (searchSignal == SIG_MOVE_NOW && mainThread.iterationDepth < 3))
            printPV(mainThread.iterationDepth, mainThread.currentScore);
    } else {
        deepenRestoreLine();
        mainThread.previousScore = mainThread.iterationScore;
        // Before any iteration has completed, the line is the one carried
        // over, of the depth the search began with.
        int depth = mainThread.lastDepth > 0 ? mainThread.lastDepth : mainThread.iterationDepth;
        if (budgetSpent) printPV(depth, mainThread.iterationScore);
    }
}

/// An analysis or a weakened ponder search that spent its node budget
/// waits, searching no further, for the command that ends it.
static void waitAfterNodeBudget() {
    try {
        waitForEnd(mainThread.previousScore);
    } catch (const SearchAbandoned &) {
    }
    if (pondering) discardPonderSearch();
}

/// A weakened search plays its level's choice among the lines and, unless a
/// command ended it, takes some of the time the full engine would.
static void finishWeakenedSearch() {
    if (pondering || !strengthLimited()) return;
    strengthChooseMove();
    if (budgetSpent && searchSignal == SIG_MOVE_NOW) searchSignal = SIG_NONE;
    strengthWait();
}

void think() {
    // Tablebase paths and caches set during the last search take effect now,
    // before any helper thread probes the tables.
    syzygyLoad();
    tbInit();
    searching = 1;
    mainThread.iterationDepth = 1;
    searchSignal = SIG_NONE;
    try {
        prepareSearch();
        startHelpers();
        int16_t score = deepen();
        stopHelpers();
        waitForEnd(score);
        mainThread.previousScore = score;
    } catch (const SearchAbandoned &) {
        stopHelpers();
        abandonSearch();
        if (budgetSpent) waitAfterNodeBudget();
    }
    finishWeakenedSearch();
    clearSearchLimits();  // they were given for this search only
    searching = 0;
}
