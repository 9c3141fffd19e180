// Time allocation and the time decision of the poll.
#include <gtest/gtest.h>

#include "frontend/control.h"
#include "search/allocation.h"
#include "search/state.h"
#include "search/think.h"
#include "tests/search/search_fixture.h"

namespace {

class TimeTest : public SearchTest {
protected:
    /// Sets the clock records as an interface would, then allocates.
    void allocate(int moves, uint32_t base, int increment, int32_t white, int32_t black) {
        timeControl.movesPerControl = uint16_t(moves);
        timeControl.baseTime = base;
        timeControl.increment = uint16_t(increment);
        timeControl.lagAllowance = 20;
        timeControl.clock[WHITE] = white;
        timeControl.clock[BLACK] = black;
        allocateTime();
    }
};

TEST_F(TimeTest, FortyMovesInFiveMinutesAtTheFirstMove) {
    allocate(40, 30000, 0, 30000, 30000);
    // 40 moves left, avail 29700 - 800 = 28900, target min(1500, 722).
    EXPECT_EQ(mainThread.safetyMargin, 800);
    EXPECT_EQ(mainThread.targetTime, 722);
    EXPECT_EQ(timeControl.moveTime, 4332u);  // min(9633 + 722, 6 x 722, 14450)
}

TEST_F(TimeTest, SuddenDeathSixtySeconds) {
    allocate(0, 6000, 0, 6000, 6000);
    // avail 5700, target 142, and the opponent's 6000 > 5700 scales it to 134.
    EXPECT_EQ(mainThread.safetyMargin, 300);
    EXPECT_EQ(mainThread.targetTime, 134);
    EXPECT_EQ(timeControl.moveTime, 804u);  // min(1900 + 134, 6 x 134, 2850)
}

TEST_F(TimeTest, PeriodEndMovesToGoShortClockLosingScoreAndIncrement) {
    struct Case { int moves; uint32_t base; int increment; int32_t white, black; int gamePly, score; bool uci;
                  int32_t target; uint32_t moveTime; };
    for (Case c : {// White has played 39 moves: avail 19700 - 20 is all the last move of the period may use,
                   // and the target is min(2 x 750, 19680).
                   Case{40, 30000, 0, 20000, 20000, 78, 0, false, 1500, 19680},
                   // UCI movestogo as given: avail 10000 - 200, target min(2 x 3000, 9800 / 10),
                   // move time min(3266 + 980, 6 x 980, 4900).
                   Case{10, 30000, 0, 10300, 10300, 40, 0, true, 980, 4246},
                   // avail 900 < 800 + 5 x 40: the minimum.
                   Case{40, 30000, 0, 1200, 1200, 0, 0, false, 5, 5},
                   // Losing by 100: k = 8 + 5 = 13, so no scaling until 6500 > 13 x 5700 / 8;
                   // move time min(1900 + 142, 6 x 142, 2850).
                   Case{0, 6000, 0, 6000, 6500, 0, -100, false, 142, 852},
                   // 5700 / 40 + 200, and with an increment the opponent's clock is not
                   // consulted; move time min(1900 + 342, 6 x 342, 2850 + 200).
                   Case{0, 6000, 200, 6000, 9000, 0, 0, false, 342, 2052}}) {
        options.optionFlags = c.uci ? OPT_UCI : OPT_XBOARD;
        pos.gamePly = int16_t(c.gamePly);
        mainThread.previousScore = int16_t(c.score);
        allocate(c.moves, c.base, c.increment, c.white, c.black);
        EXPECT_EQ(mainThread.targetTime, c.target) << c.white << " " << c.black;
        EXPECT_EQ(timeControl.moveTime, c.moveTime) << c.white << " " << c.black;
    }
}

TEST_F(TimeTest, FixedTimePerMove) {
    timeControl.moveTime = 500;
    allocateTime();
    EXPECT_EQ(mainThread.targetTime, 500);
    EXPECT_EQ(timeControl.moveTime, 500u);
    EXPECT_EQ(searchTimeLimit(499), 500);
    EXPECT_EQ(searchTimeLimit(500), 0);  // the hard limit is reached
}

TEST_F(TimeTest, ScoreDropsBuyMoreTimeUpToTheHardLimitAndTheClock) {
    struct Case { int16_t previous, iteration, current; int fail; int32_t elapsed, clock, limit; };
    // A target of 100, a hard limit of 1000 and a safety margin of 300.
    for (Case c : {Case{50, 50, 50, 0, 99, 100000, 100}, Case{50, 50, 50, 0, 150, 100000, 100},  // stable
                   Case{50, 50, -460, 0, 150, 100000, 700}, Case{50, 50, -350, 0, 150, 100000, 600},
                   Case{50, 50, -300, 0, 150, 100000, 500}, Case{50, 50, -150, 0, 150, 100000, 400},
                   Case{50, 50, -50, 0, 150, 100000, 300}, Case{50, 50, -15, 0, 150, 100000, 250},
                   Case{50, 50, 20, 0, 150, 100000, 200},
                   Case{50, 50, 30, 0, 150, 100000, 100},      // a drop of 20 is not enough
                   Case{500, 500, 440, 0, 150, 100000, 100},   // 440 < 475 but not below 500 - 66 - 10
                   Case{500, 500, 420, 0, 150, 100000, 250},   // below 500 - 63 - 10: a drop of 80
                   Case{50, -300, -SCORE_BOUND, 0, 150, 100000, 500},  // no score yet: the last iteration's
                   Case{50, 50, 50, -1, 150, 100000, 250},     // a fail-low re-search
                   Case{50, 50, -900, 0, 999, 100000, 700}, Case{50, 50, -900, 0, 1000, 100000, 0},
                   Case{50, 50, 50, 0, 150, 400, 0}}) {        // 150 > 400 - 300
        mainThread.targetTime = 100;
        timeControl.moveTime = 1000;
        mainThread.safetyMargin = 300;
        mainThread.timeCredit = 0;
        timeControl.clock[WHITE] = c.clock;
        timeControl.clock[BLACK] = 100000;
        mainThread.previousScore = c.previous;
        mainThread.iterationScore = c.iteration;
        mainThread.currentScore = c.current;
        mainThread.windowFail = int8_t(c.fail);
        EXPECT_EQ(searchTimeLimit(c.elapsed), c.limit) << c.current << " after " << c.elapsed;
    }
}

}  // namespace
