// The strength limit: the level's node budget and loss tolerance, the
// choice among the root lines, and the pause before the move.
#include "search/strength.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "engine/searchflags.h"
#include "engine/settings.h"
#include "search/allocation.h"
#include "search/limits.h"
#include "search/root.h"
#include "search/state.h"
#include "search/think.h"

// Share of the full engine's normal time for the move after which a
// weakened engine plays, in per cent.
constexpr int STRENGTH_WAIT_PERCENT = 50;
// Milliseconds between two looks at the input while waiting.
constexpr int STRENGTH_WAIT_STEP_MS = 2;

/// One calibrated level: the nodes searched for a move, the root lines kept
/// (the moves the choice is made among) and the largest loss in centipawns
/// the choice tolerates. Between two points the node budget is interpolated
/// on a logarithmic scale, the others linearly.
struct StrengthPoint {
    int elo;
    double nodes;
    int lines;
    int tolerance;
};

// Fitted by scripts/calibrate-strength.py at 10+0.1 against Debian's
// stockfish 15.1 at a UCI_Elo near each level, first over 20 games a match
// (6000 nodes and a 90 tolerance measured 1508; 30000 and 40, 1641; 120000
// and 15, 1817), then checked over 60: UCI_Elo 1400 measured 1353, 1800
// measured 1777, 2000 measured 1911, and full strength 2054 (against
// stockfish at 1900) and 2009 (at 2200), both of whose intervals hold the
// top of the range, MAX_STRENGTH_ELO.
// Towards the top the lines kept fall to one: there the tolerance seldom lets
// a second line be played, and with four lines UCI_Elo 2000 measured only
// 1853. Below 1350 the levels are placed by Quor's games against its own
// levels (40 games a match at their node budgets, and 800 against 1200 at
// 10+0.1).
static constexpr StrengthPoint FITTED_POINTS[] = {
    {MIN_STRENGTH_ELO, 72, 5, 222}, {1200, 1697, 4, 128},  {1270, 2906, 4, 112},
    {1510, 6000, 4, 90},            {1640, 30000, 4, 40},  {1820, 120000, 4, 15},
    {MAX_STRENGTH_ELO, 400000, 1, 5},
};

// The running search's level, when it is weakened.
static bool limited;
static int lines, tolerance;

int strengthElo() {
    if (options.limitStrength)
        return options.eloLimit < MAX_STRENGTH_ELO ? std::max<int>(options.eloLimit, MIN_STRENGTH_ELO) : 0;
    if (options.skillLevel < MAX_SKILL_LEVEL)
        return MIN_STRENGTH_ELO + options.skillLevel * (MAX_STRENGTH_ELO - MIN_STRENGTH_ELO) / MAX_SKILL_LEVEL;
    return 0;
}

/// The level of `elo` interpolated between the fitted points.
static StrengthPoint levelOf(int elo) {
    const StrengthPoint *upper = FITTED_POINTS + 1;
    while (upper->elo < elo && upper + 1 < std::end(FITTED_POINTS)) upper++;
    const StrengthPoint &lower = upper[-1];
    double share = std::clamp(double(elo - lower.elo) / (upper->elo - lower.elo), 0.0, 1.0);
    double nodes = lower.nodes * std::pow(upper->nodes / lower.nodes, share);
    int kept = int(std::lround(lower.lines + share * (upper->lines - lower.lines)));
    int loss = int(std::lround(lower.tolerance + share * (upper->tolerance - lower.tolerance)));
    return {elo, nodes, kept, loss};
}

bool strengthLimitSearch(bool playing) {
    int elo = strengthElo();
    limited = playing && elo > 0;
    if (!limited) return false;
    StrengthPoint level = levelOf(elo);
    lines = level.lines;
    tolerance = level.tolerance;
    uint64_t budget = uint64_t(std::max(1.0, level.nodes));
    searchLimits.nodes = searchLimits.nodes ? std::min(searchLimits.nodes, budget) : budget;
    if (searchMultiPv < lines) {
        searchMultiPv = lines;
        clearMultiPv();
    }
    return true;
}

bool strengthLimited() { return limited; }

void strengthChooseMove() {
    if (!limited) return;
    int best = multiPvScores[0];
    // A mate or a tablebase result is never given away, and a line that is
    // not the search's own first line (an iteration cut short before its
    // first move was searched) is left as it is.
    if (best == -SCORE_BOUND || std::abs(best) > EVAL_LIMIT || multiPvLines[0][0] != mainThread.pvTable[0][0]) return;
    // Each move within the tolerance weighs the tolerance less its loss,
    // plus one: the best move weighs most.
    int weights[MAX_MULTI_PV], total = 0, count = 0;
    for (; count < lines && multiPvScores[count] != -SCORE_BOUND; count++) {
        int loss = best - multiPvScores[count];
        weights[count] = loss <= tolerance ? tolerance + 1 - loss : 0;
        total += weights[count];
    }
    int pick = int(uint64_t(std::rand()) * uint64_t(total) / (uint64_t(RAND_MAX) + 1));
    int chosen = 0;
    while (pick >= weights[chosen]) pick -= weights[chosen++];
    if (chosen == 0) return;
    const Move *line = multiPvLines[chosen];
    int length = 0;
    for (; line[length] && length < MAX_PLY - 1; length++) mainThread.pvTable[0][length] = line[length];
    mainThread.pvTable[0][length] = 0;
    mainThread.pvLength[0] = uint8_t(length);
    mainThread.previousScore = multiPvScores[chosen];
}

void strengthWait() {
    if (!limited || timeControl.moveTime == 0) return;
    int32_t until = mainThread.targetTime * STRENGTH_WAIT_PERCENT / 100;
    while (searchSignal == SIG_NONE && searchElapsedCs() < until) {
        if (!pollInput(false)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(STRENGTH_WAIT_STEP_MS));
    }
}
