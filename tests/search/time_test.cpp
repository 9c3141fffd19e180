// Time allocation and the time decision of the poll.
#include <gtest/gtest.h>

#include "frontend/control.h"
#include "search/state.h"
#include "search/think.h"
#include "tests/search/search_fixture.h"

namespace {

class TimeTest : public SearchTest {
protected:
    void setClocks(int32_t white, int32_t black) {
        timeControl.clock[WHITE] = white;
        timeControl.clock[BLACK] = black;
    }
};

TEST_F(TimeTest, FortyMovesInFiveMinutesAtTheFirstMove) {
    timeControl.movesPerControl = 40;
    timeControl.baseTime = 30000;
    timeControl.lagAllowance = 20;
    setClocks(30000, 30000);
    allocateTime();
    // 40 moves left, avail 29700 - 800 = 28900, target min(1500, 722).
    EXPECT_EQ(safetyMargin, 800);
    EXPECT_EQ(targetTime, 722);
    EXPECT_EQ(timeControl.moveTime, 4332u);  // min(9633 + 722, 6 * 722, 14450)
}

TEST_F(TimeTest, MovesLeftCountsTheMovesAlreadyPlayedInThePeriod) {
    timeControl.movesPerControl = 40;
    timeControl.baseTime = 30000;
    timeControl.lagAllowance = 20;
    setClocks(20000, 20000);
    pos.gamePly = 78;  // White has played 39 moves: one move left in the period
    allocateTime();
    // avail 19700 - 20 = 19680 is all the last move of the period may use.
    EXPECT_EQ(timeControl.moveTime, 19680u);
    EXPECT_EQ(targetTime, 1500);  // min(2 * 750, 19680)
}

TEST_F(TimeTest, UciMovesToGoIsTakenAsGiven) {
    options.optionFlags = OPT_UCI;
    timeControl.movesPerControl = 10;
    timeControl.baseTime = 30000;
    timeControl.lagAllowance = 20;
    setClocks(10300, 10300);
    pos.gamePly = 40;
    allocateTime();
    // avail 10000 - 200; target min(2 * 3000, 9800 / 10) = 980.
    EXPECT_EQ(targetTime, 980);
    EXPECT_EQ(timeControl.moveTime, 4246u);  // min(3266 + 980, 5880, 4900)
}

TEST_F(TimeTest, TooLittleClockForTheMovesLeftGivesTheMinimum) {
    timeControl.movesPerControl = 40;
    timeControl.baseTime = 30000;
    timeControl.lagAllowance = 20;
    setClocks(1200, 1200);  // avail 900 < 800 + 5 * 40
    allocateTime();
    EXPECT_EQ(targetTime, 5);
    EXPECT_EQ(timeControl.moveTime, 5u);
}

TEST_F(TimeTest, SuddenDeathSixtySeconds) {
    timeControl.baseTime = 6000;
    setClocks(6000, 6000);
    allocateTime();
    // avail 5700, target 142, and the opponent's 6000 > 5700 scales it to 134.
    EXPECT_EQ(safetyMargin, 300);
    EXPECT_EQ(targetTime, 134);
    EXPECT_EQ(timeControl.moveTime, 804u);
}

TEST_F(TimeTest, SuddenDeathWhileLosingDoesNotScaleDownAsSoon) {
    timeControl.baseTime = 6000;
    setClocks(6000, 6500);
    previousScore = -100;  // k = 8 + 5 = 13: scale only when 6500 > 13 * 5700 / 8
    allocateTime();
    EXPECT_EQ(targetTime, 142);
}

TEST_F(TimeTest, IncrementIsAddedToTheTarget) {
    timeControl.baseTime = 6000;
    timeControl.increment = 200;
    setClocks(6000, 9000);
    allocateTime();
    // 5700 / 40 + 200; with an increment the opponent's clock is not consulted.
    EXPECT_EQ(targetTime, 342);
    EXPECT_EQ(timeControl.moveTime, 2052u);  // min(1900 + 342, 2052, 2850 + 200)
}

TEST_F(TimeTest, FixedTimePerMove) {
    timeControl.moveTime = 500;
    allocateTime();
    EXPECT_EQ(targetTime, 500);
    EXPECT_EQ(timeControl.moveTime, 500u);
    EXPECT_EQ(searchTimeLimit(499), 500);
    EXPECT_EQ(searchTimeLimit(500), 0);  // the hard limit is reached
}

// The time decision, with a target of 100 and room on the clock.
class TimeDecisionTest : public TimeTest {
protected:
    void SetUp() override {
        TimeTest::SetUp();
        targetTime = 100;
        timeControl.moveTime = 1000;
        safetyMargin = 300;
        timeCredit = 0;
        setClocks(100000, 100000);
        windowFail = 0;
        previousScore = 50;
        iterationScore = 50;
        currentScore = 50;
    }
};

TEST_F(TimeDecisionTest, StableScoreStopsAtTheTarget) {
    EXPECT_EQ(searchTimeLimit(99), 100);
    EXPECT_EQ(searchTimeLimit(150), 100);
}

TEST_F(TimeDecisionTest, ScoreDropsBuyMoreTime) {
    currentScore = -300;  // ref - 350 <= s < ref - 250
    EXPECT_EQ(searchTimeLimit(150), 500);
    currentScore = -460;
    EXPECT_EQ(searchTimeLimit(150), 700);
    currentScore = -350;
    EXPECT_EQ(searchTimeLimit(150), 600);
    currentScore = -150;
    EXPECT_EQ(searchTimeLimit(150), 400);
    currentScore = -50;
    EXPECT_EQ(searchTimeLimit(150), 300);
    currentScore = -15;
    EXPECT_EQ(searchTimeLimit(150), 250);
    currentScore = 20;
    EXPECT_EQ(searchTimeLimit(150), 200);
    currentScore = 30;  // a drop of 20 is not enough
    EXPECT_EQ(searchTimeLimit(150), 100);
}

TEST_F(TimeDecisionTest, HighScoresNeedARelativeDrop) {
    previousScore = iterationScore = 500;
    currentScore = 440;  // 440 < 475 but not below 500 - 66 - 10
    EXPECT_EQ(searchTimeLimit(150), 100);
    currentScore = 420;  // below 500 - 63 - 10: a drop of 80 gives two and a half targets
    EXPECT_EQ(searchTimeLimit(150), 250);
}

TEST_F(TimeDecisionTest, NoIterationScoreYetUsesTheLastIteration) {
    currentScore = -SCORE_BOUND;
    iterationScore = -300;
    previousScore = 50;
    EXPECT_EQ(searchTimeLimit(150), 500);
}

TEST_F(TimeDecisionTest, FailLowReSearchGetsAtLeastTwoAndAHalfTargets) {
    windowFail = -1;
    EXPECT_EQ(searchTimeLimit(150), 250);
}

TEST_F(TimeDecisionTest, HardLimitAndClockEndTheSearchWhateverTheScore) {
    currentScore = -900;
    EXPECT_EQ(searchTimeLimit(999), 700);
    EXPECT_EQ(searchTimeLimit(1000), 0);
    setClocks(400, 100000);  // 150 > 400 - 300
    EXPECT_EQ(searchTimeLimit(150), 0);
}

}  // namespace
