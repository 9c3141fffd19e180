// Time allocation and the time decision of the poll, as properties a player
// relies on rather than the numbers of the formula.
#include <gtest/gtest.h>

#include "frontend/control.h"
#include "search/allocation.h"
#include "search/state.h"
#include "search/think.h"
#include "tests/search/search_fixture.h"

namespace {

/// Allocates White's time from the clocks (centiseconds) with a lag
/// allowance of 20, after `gamePly` plies; returns the planned time.
int32_t plan(int moves, int increment, int32_t own, int32_t opponent, int gamePly = 0, int score = 0) {
    pos.gamePly = int16_t(gamePly);
    mainThread.previousScore = int16_t(score);
    timeControl.movesPerControl = uint16_t(moves);
    timeControl.baseTime = moves ? 30000 : 6000;  // 5 minutes a period, or 1 minute for the game
    timeControl.increment = uint16_t(increment);
    timeControl.lagAllowance = 20;
    timeControl.clock[WHITE] = own;
    timeControl.clock[BLACK] = opponent;
    allocateTime();
    return mainThread.targetTime;
}

using TimeTest = SearchTest;

TEST_F(TimeTest, EveryMoveLeavesTheClockItsMarginAndTheRestOfThePeriodItsTime) {
    struct Case { const char *name; int moves, increment; int32_t clock; int gamePly; bool uci, last; int32_t kept; };
    for (Case c : {Case{"40 moves in 5 minutes", 40, 0, 30000, 0, false, false, 40 * 20},  // a lag allowance a move
                   Case{"the 40th of 40 moves", 40, 0, 20000, 78, false, true, 300},
                   Case{"movestogo 10", 10, 0, 10300, 40, true, false, 10 * 20},
                   Case{"sudden death", 0, 0, 6000, 0, false, false, 300},  // three seconds kept back
                   Case{"an increment", 0, 200, 6000, 0, false, false, 300}}) {
        SCOPED_TRACE(c.name);
        options.optionFlags = c.uci ? OPT_UCI : OPT_XBOARD;
        int32_t target = plan(c.moves, c.increment, c.clock, c.clock, c.gamePly), limit = int32_t(timeControl.moveTime);
        EXPECT_GT(target, 0);
        EXPECT_LE(target, limit);
        EXPECT_GE(mainThread.safetyMargin, c.last ? 20 : c.kept);
        EXPECT_LE(limit, c.clock - c.kept - 20);
        if (c.last) {  // the clock is refilled after this move: most of it may go
            EXPECT_GT(limit, c.clock / 2);
        } else {  // at most six times the plan, however far the score drops
            EXPECT_LE(limit, c.clock / 2 + c.increment);
            EXPECT_LE(limit, 6 * target);
        }
    }
    EXPECT_LE(plan(40, 0, 1200, 1200), 10);  // 40 moves on 12 seconds: nothing to plan with
    EXPECT_LE(timeControl.moveTime, 10u);
}

TEST_F(TimeTest, MoreTimeWithMoreOnTheClockFewerMovesToGoAnIncrementOrWhenBehind) {
    options.optionFlags = OPT_UCI;
    EXPECT_LT(plan(0, 0, 6000, 6000), plan(0, 0, 12000, 12000));
    EXPECT_LT(plan(30, 0, 10000, 10000), plan(10, 0, 10000, 10000));
    EXPECT_LT(plan(0, 0, 6000, 5000), plan(0, 200, 6000, 5000));
    // An opponent far ahead on the clock makes the engine hurry, unless it is losing.
    EXPECT_LT(plan(0, 0, 6000, 12000), plan(0, 0, 6000, 6000));
    EXPECT_LT(plan(0, 0, 6000, 6500), plan(0, 0, 6000, 6500, 0, -100));
}

TEST_F(TimeTest, FixedTimeIsAHardLimitAndScoreDropsBuyMoreTimeUnderAClock) {
    timeControl.moveTime = 1000;  // ten seconds a move
    allocateTime();
    EXPECT_EQ(mainThread.targetTime, 1000);
    EXPECT_EQ(searchTimeLimit(999), 1000);
    EXPECT_EQ(searchTimeLimit(1000), 0);
    // With a clock: a target of 1 second, a hard limit of 10, and 3 seconds kept back.
    mainThread.targetTime = 100;
    mainThread.safetyMargin = 300;
    mainThread.timeCredit = 0;
    timeControl.clock[WHITE] = 100000;
    auto limit = [](int previous, int current, int32_t elapsed = 150, int fail = 0) {
        mainThread.previousScore = mainThread.iterationScore = int16_t(previous);
        mainThread.currentScore = int16_t(current);
        mainThread.windowFail = int8_t(fail);
        return searchTimeLimit(elapsed);
    };
    EXPECT_EQ(limit(50, -900, 99), 100);  // before the target nothing is decided
    // A stable score stops at the target, as before the iteration's first
    // score, after a wobble of 20, or one of 60 far ahead.
    for (auto [previous, current] : {std::pair{50, 50}, {50, -SCORE_BOUND}, {50, 30}, {500, 440}})
        EXPECT_EQ(limit(previous, current), 100) << previous << " to " << current;
    EXPECT_GT(limit(50, 50, 150, -1), 100);  // a fail low being searched again
    int32_t last = 100;
    for (int drop : {40, 70, 100, 200, 300, 400, 600}) {
        EXPECT_GT(limit(50, 50 - drop), last) << "a drop of " << drop;
        last = limit(50, 50 - drop);
    }
    EXPECT_EQ(limit(50, -900, 1000), 0);  // the hard limit
    timeControl.clock[WHITE] = 400;
    EXPECT_EQ(limit(50, 50), 0);  // the clock would fall below its margin
}

}  // namespace
