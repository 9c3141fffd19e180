// Time allocation: a share of the clock for the moves left to the time
// control (or a fortieth of it in sudden death) plus the increment, less a
// safety margin for the interface's lag; more against a slower opponent's
// clock, and more again while the score falls.
#include "search/allocation.h"

#include <algorithm>

#include "board/position.h"
#include "engine/clock.h"
#include "engine/settings.h"
#include "search/root.h"
#include "search/state.h"

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
    mainThread.safetyMargin = tc.lagAllowance * movesLeft;
    if (mainThread.safetyMargin > avail - 5 * movesLeft) {
        mainThread.targetTime = 5;
        timeControl.moveTime = 5;
        return false;
    }
    avail -= mainThread.safetyMargin;
    mainThread.targetTime = std::min<int32_t>(2 * (tc.baseTime / tc.movesPerControl), avail / movesLeft);
    if (movesLeft == 1) {
        timeControl.moveTime = uint32_t(avail);
        return false;
    }
    mainThread.targetTime += tc.increment;
    if ((options.optionFlags & OPT_COMPUTER) && opponent > int64_t(avail) * 6 / 5 && mainThread.previousScore > -80)
        mainThread.targetTime = std::max<int32_t>(5, int32_t(int64_t(mainThread.targetTime) * avail / opponent));
    return true;
}

void allocateTime() {
    TimeControl &tc = timeControl;
    if (tc.movesPerControl == 0 && tc.baseTime == 0) {
        mainThread.targetTime = int32_t(tc.moveTime);
        return;
    }
    int side = rootSide();
    // Sudden death keeps three seconds of the clock back, or the lag
    // allowance when the interface asks for more.
    int32_t reserve = tc.movesPerControl == 0 ? std::max<int32_t>(300, tc.lagAllowance) : 300;
    int32_t avail = std::max(tc.clock[side] - reserve, 20);
    int32_t opponent = tc.clock[side ^ 1];
    if (tc.movesPerControl == 0) {
        // Sudden death, or increment only.
        mainThread.safetyMargin = reserve;
        mainThread.targetTime = std::max<int32_t>(avail / 40 + tc.increment, 5);
        if (tc.increment == 0) {
            int k = mainThread.previousScore < -20 ? 8 - mainThread.previousScore / 20 : 8;
            if (opponent > int64_t(k) * avail / 8)
                mainThread.targetTime =
                    std::max<int32_t>(5, int32_t(int64_t(mainThread.targetTime) * avail / opponent));
        }
    } else {
        if (!allocatePeriod(avail, opponent)) return;
    }
    int32_t hardLimit = std::min(avail / 3 + mainThread.targetTime, 6 * mainThread.targetTime);
    tc.moveTime = uint32_t(std::min(hardLimit, avail / 2 + tc.increment));
}

int32_t searchElapsedCs() { return int32_t((elapsedMs() - timeControl.searchStart) / 10) + mainThread.timeCredit; }

/// How far the time may be stretched when the score falls below what the
/// earlier iterations promised.
static int32_t scoreDropLimit() {
    int s = mainThread.currentScore != -SCORE_BOUND ? mainThread.currentScore : mainThread.iterationScore;
    int ref = std::max(mainThread.previousScore, mainThread.iterationScore);
    int32_t t = mainThread.targetTime;
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
    if (elapsed < mainThread.targetTime) return mainThread.targetTime;
    bool clockRunsOut = elapsed - mainThread.timeCredit > timeControl.clock[rootSide()] - mainThread.safetyMargin;
    if (elapsed >= int64_t(timeControl.moveTime) || clockRunsOut) return 0;
    int32_t limit = scoreDropLimit();
    if (mainThread.windowFail == -1) limit = std::max(limit, mainThread.targetTime * 5 / 2);
    return limit;
}
