// The xboard handler's worked examples: the clock and depth commands, the
// commands that steer a running search, and received moves, checked on the
// records the handler sets.
#include <gtest/gtest.h>

#include "board/notation.h"
#include "board/position.h"
#include "frontend/control.h"
#include "search/state.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/board_helpers.h"

using XboardHandler = FrontendTest;

TEST_F(XboardHandler, LevelWithMovesPerPeriodSplitsTheBaseTime) {
    send("level 40 5 0");
    EXPECT_EQ(timeControl.movesPerControl, 40);
    EXPECT_EQ(timeControl.baseTime, 30000u);
    EXPECT_EQ(timeControl.moveTime, 1500u);  // twice the 750 of one move
    EXPECT_EQ(timeControl.increment, 0);
    EXPECT_EQ(timeControl.clock[WHITE], 30000);
    EXPECT_EQ(timeControl.clock[BLACK], 30000);
    EXPECT_EQ(searchSignal, SIG_ABORT);
}

TEST_F(XboardHandler, LevelWithIncrementOnlyGivesTheWholeBaseTime) {
    send("level 0 2 12");
    EXPECT_EQ(timeControl.movesPerControl, 0);
    EXPECT_EQ(timeControl.baseTime, 12000u);
    EXPECT_EQ(timeControl.moveTime, 12000u);
    EXPECT_EQ(timeControl.increment, 1200);
    EXPECT_EQ(timeControl.maxDepth, 64);
}

TEST_F(XboardHandler, LevelCountsSecondsOfTheBaseTimeAndFractionsOfTheIncrement) {
    send("level 0 0:10 0.1");
    EXPECT_EQ(timeControl.baseTime, 1000u);
    EXPECT_EQ(timeControl.increment, 10);
    send("level 40 1:30 0");
    EXPECT_EQ(timeControl.baseTime, 9000u);
    EXPECT_EQ(timeControl.moveTime, 450u);  // 9000 / 40 = 225, twice
}

TEST_F(XboardHandler, LevelWithoutAllThreeArgumentsChangesNothing) {
    send("level 40 5 0");
    searchSignal = SIG_NONE;
    for (const char *line : {"level 20 3", "level 20", "level"}) {
        EXPECT_EQ(send(line), "ERROR (wrong number of parameters): level <nmoves> <min> <inc>\n") << line;
        EXPECT_EQ(timeControl.movesPerControl, 40) << line;
        EXPECT_EQ(timeControl.baseTime, 30000u) << line;
        EXPECT_EQ(searchSignal, SIG_NONE) << line;
    }
}

TEST_F(XboardHandler, SearchDepthIsCappedAndKeptInEightBits) {
    send("level 40 5 0");
    searchSignal = SIG_NONE;
    send("sd 100");
    EXPECT_EQ(timeControl.maxDepth, 56);
    EXPECT_EQ(timeControl.moveTime, 0u);
    EXPECT_EQ(timeControl.baseTime, 0u);
    EXPECT_EQ(timeControl.movesPerControl, 0);
    EXPECT_EQ(timeControl.clock[WHITE], 0);
    EXPECT_EQ(timeControl.clock[BLACK], 0);
    send("sd 300");  // 300 - 256
    EXPECT_EQ(timeControl.maxDepth, 44);
    EXPECT_EQ(searchSignal, SIG_NONE);  // a setting: the search goes on
}

TEST_F(XboardHandler, SecondsPerMoveGiveAFixedTimeWithoutPeriod) {
    send("level 40 5 3");
    send("sd 7");
    send("st 10");
    EXPECT_EQ(timeControl.moveTime, 1000u);
    EXPECT_EQ(timeControl.movesPerControl, 0);
    EXPECT_EQ(timeControl.baseTime, 0u);
    EXPECT_EQ(timeControl.increment, 0);
    EXPECT_EQ(timeControl.maxDepth, 64);
    EXPECT_EQ(timeControl.clock[BLACK], 1000);
}

TEST_F(XboardHandler, ClockCommandsWithoutTheirNumberAreIgnored) {
    send("level 40 5 0");
    for (const char *line : {"sd", "st", "time", "otim", "sd   "}) {
        EXPECT_EQ(send(line), "") << line;
        EXPECT_EQ(timeControl.maxDepth, 64) << line;
        EXPECT_EQ(timeControl.moveTime, 1500u) << line;
        EXPECT_EQ(timeControl.clock[WHITE], 30000) << line;
        EXPECT_EQ(timeControl.clock[BLACK], 30000) << line;
    }
}

TEST_F(XboardHandler, OwnClockMeasuresTheCommunicationLag) {
    game.engineSide = BLACK;
    struct Case { const char *line; int lag; int32_t clock; };
    // The engine counted 6000 centiseconds before each update.
    for (Case c : {Case{"time 5950", 50, 5950}, Case{"time 6100", 20, 6100}, Case{"time 5000", 200, 5000},
                   Case{"time 6000", 20, 6000}, Case{"time 5999", 1, 5999}}) {
        timeControl.clock[BLACK] = 6000;
        send(c.line);
        EXPECT_EQ(timeControl.lagAllowance, c.lag) << c.line;
        EXPECT_EQ(timeControl.clock[BLACK], c.clock) << c.line;
        EXPECT_EQ(timeControl.clock[WHITE], 0) << c.line;  // as a new game left it
    }
}

TEST_F(XboardHandler, LagStaysBelowTheTimeOfOneMove) {
    game.engineSide = WHITE;
    // 40 moves in 1 minute: 150 per move, so a lag of 200 becomes 130.
    send("level 40 1 0");
    timeControl.clock[WHITE] = 6000;
    send("time 5800");
    EXPECT_EQ(timeControl.lagAllowance, 130);
    // 40 moves in 30 seconds: 75 per move, lag 55.
    send("level 40 0:30 0");
    timeControl.clock[WHITE] = 6000;
    send("time 5800");
    EXPECT_EQ(timeControl.lagAllowance, 55);
    // 40 moves in 5 seconds: 12 per move leaves nothing to subtract from;
    // the allowance stays at its floor of 20.
    send("level 40 0:05 0");
    timeControl.clock[WHITE] = 6000;
    send("time 5800");
    EXPECT_EQ(timeControl.lagAllowance, 20);
}

TEST_F(XboardHandler, ClocksOfAGameWithoutEngineSide) {
    // White to move and no engine side: the engine is taken to play Black.
    send("time 4000");
    send("otim 3000");
    EXPECT_EQ(timeControl.clock[BLACK], 4000);
    EXPECT_EQ(timeControl.clock[WHITE], 3000);
    EXPECT_EQ(timeControl.lagAllowance, 20);
    game.engineSide = WHITE;
    send("otim 2500");
    EXPECT_EQ(timeControl.clock[BLACK], 2500);
    EXPECT_EQ(timeControl.clock[WHITE], 3000);
}

TEST_F(XboardHandler, ForceTwiceChangesNothing) {
    send("force");
    EXPECT_EQ(game.pendingCommand, CMD_FORCE);
    EXPECT_EQ(searchSignal, SIG_ABORT);
    game.forceMode = true;  // as the main loop applies it
    searchSignal = SIG_NONE;
    send("force");
    EXPECT_EQ(game.pendingCommand, 0u);
    EXPECT_EQ(searchSignal, SIG_NONE);
}

TEST_F(XboardHandler, GoDuringTheEnginesOwnSearchIsIgnored) {
    searching = 1;
    send("go");
    EXPECT_EQ(game.pendingCommand, 0u);
    EXPECT_EQ(searchSignal, SIG_NONE);
    pondering = 1;
    send("go");
    EXPECT_EQ(game.pendingCommand, CMD_GO);
    EXPECT_EQ(searchSignal, SIG_ABORT);
}

TEST_F(XboardHandler, MoveNowOnlyDuringTheEnginesOwnSearch) {
    searching = 1;
    send("?");
    EXPECT_EQ(searchSignal, SIG_MOVE_NOW);
    // While pondering "?" is an ordinary word: it stops the ponder search.
    searchSignal = SIG_NONE;
    pondering = 1;
    send("?");
    EXPECT_EQ(searchSignal, SIG_ABORT);
    EXPECT_EQ(game.userFrom, -1);
    // With no search running it is a word that is no move.
    searching = pondering = 0;
    searchSignal = SIG_NONE;
    EXPECT_EQ(send("?"), "");
    EXPECT_EQ(game.userFrom, -1);
}

TEST_F(XboardHandler, ReceivedMovesBecomeSquaresForTheMainLoop) {
    send("e2e4");
    EXPECT_EQ(game.userFrom, sq("e2"));
    EXPECT_EQ(game.userTo, sq("e4"));
    EXPECT_EQ(game.userPromo, '\0');
    send("a1h8n");
    EXPECT_EQ(game.userFrom, 56);
    EXPECT_EQ(game.userTo, 7);
    EXPECT_EQ(game.userPromo, 'n');
    // Squares off the board give no move, whatever their codes wrap to.
    for (const char *word : {"e2e9", "i1a1", "e0e4", "e2", "hello", "12345"}) {
        game.userFrom = game.userTo = -1;
        send(word);
        EXPECT_EQ(game.userFrom, -1) << word;
        EXPECT_EQ(game.userTo, -1) << word;
    }
}

TEST_F(XboardHandler, MovesDuringTheEnginesOwnSearchAreIgnored) {
    searching = 1;
    send("e2e4");
    EXPECT_EQ(game.userFrom, -1);
    EXPECT_EQ(searchSignal, SIG_NONE);
}

TEST_F(XboardHandler, ExpectedReplyWhilePonderingIsAPonderHit) {
    setFen("4k3/8/8/8/8/8/8/4K2R w K -");
    Move castle = findMove("e1g1");
    ASSERT_NE(castle, 0u);
    searching = pondering = 1;
    game.expectedReply = castle;
    game.lastPly = 4;
    send("e1g1");
    EXPECT_EQ(searchSignal, SIG_PONDER_HIT);
    EXPECT_EQ(game.userFrom, -1);
    EXPECT_EQ(game.lastPly, 5);
    searchSignal = SIG_NONE;
    send("e1f1");
    EXPECT_EQ(searchSignal, SIG_ABORT);
    EXPECT_EQ(game.userFrom, sq("e1"));
    EXPECT_EQ(game.userTo, sq("f1"));
}

TEST_F(XboardHandler, PromotionPonderHitNeedsTheSamePiece) {
    setFen("8/4P3/8/8/8/8/k7/4K3 w - -");
    Move queening = findMove("e7e8q");
    ASSERT_NE(queening, 0u);
    searching = pondering = 1;
    game.expectedReply = queening;
    for (const char *word : {"e7e8n", "e7e8r", "e7e8"}) {
        searchSignal = SIG_NONE;
        send(word);
        EXPECT_EQ(searchSignal, SIG_ABORT) << word;
        EXPECT_EQ(game.userFrom, sq("e7")) << word;
    }
    for (const char *word : {"e7e8q", "e7e8Q"}) {
        searchSignal = SIG_NONE;
        send(word);
        EXPECT_EQ(searchSignal, SIG_PONDER_HIT) << word;
        EXPECT_EQ(game.userFrom, -1) << word;
    }
}

TEST_F(XboardHandler, HintNamesTheExpectedReplyOrTheAnalysisMove) {
    EXPECT_EQ(send("hint"), "");  // nothing to suggest
    setFen("8/4P3/8/8/8/8/k7/4K3 w - -");
    pondering = 1;
    game.expectedReply = findMove("e7e8q");
    EXPECT_EQ(send("hint"), "Hint: e7e8Q\n");
    pondering = 0;
    analyzing = 1;
    EXPECT_EQ(send("hint"), "");  // no line found yet
    pvTable[0][0] = findMove("e1d2");
    pvLength[0] = 1;
    EXPECT_EQ(send("hint"), "Hint: e1d2\n");
}

TEST_F(XboardHandler, PlayotherLeavesForceModeForTheSideNotToMove) {
    game.forceMode = true;
    send("playother");
    EXPECT_FALSE(game.forceMode);
    EXPECT_EQ(game.engineSide, BLACK);
    EXPECT_EQ(searchSignal, SIG_ABORT);
}

TEST_F(XboardHandler, SetboardKeepsTheFourPositionFieldsCut) {
    send("setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_STREQ(game.setupText, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
    EXPECT_EQ(game.pendingCommand, CMD_SETUP);
    send("setboard 8/8/8/8/8/8/8/8");  // missing fields are empty
    EXPECT_STREQ(game.setupText, "8/8/8/8/8/8/8/8   ");
    std::string longPlacement(200, '1');
    send(("setboard " + longPlacement + " white KQkqKQ e3e3").c_str());
    EXPECT_EQ(std::string(game.setupText), std::string(80, '1') + " w KQkq e3");
}

TEST_F(XboardHandler, GameCommandsAreLeftForTheMainLoop) {
    struct Case { const char *line; uint32_t command; };
    for (Case c : {Case{"new", CMD_NEW}, Case{"undo", CMD_UNDO}, Case{"analyze", CMD_ANALYZE}, Case{"quit", CMD_QUIT},
                   Case{"remove", CMD_UNDO}}) {
        searchSignal = SIG_NONE;
        game.setupText[0] = '\0';
        send(c.line);
        EXPECT_EQ(game.pendingCommand, c.command) << c.line;
        EXPECT_EQ(searchSignal, SIG_ABORT) << c.line;
    }
    EXPECT_EQ(game.setupText[0], '2');  // remove takes back two plies
}

TEST_F(XboardHandler, ResultEndsTheGame) {
    searching = 1;
    send("result 1/2-1/2 {Draw}");
    EXPECT_TRUE(game.gameOver);
    EXPECT_EQ(searchSignal, SIG_ABORT);
}

TEST_F(XboardHandler, ExitLeavesAnalysisWithTheSavedLimits) {
    analyzing = 1;
    timeControl.moveTime = 0;
    timeControl.maxDepth = 60;
    timeControl.savedMoveTime = 300;
    timeControl.savedMaxDepth = 9;
    send("exit");
    EXPECT_EQ(analyzing, 0);
    EXPECT_EQ(timeControl.moveTime, 300u);
    EXPECT_EQ(timeControl.maxDepth, 9);
    EXPECT_EQ(searchSignal, SIG_ABORT);
    // Outside analysis it only stops a search.
    searchSignal = SIG_NONE;
    send("exit");
    EXPECT_EQ(timeControl.moveTime, 300u);
    EXPECT_EQ(searchSignal, SIG_ABORT);
}

TEST_F(XboardHandler, PonderingFlagsAndPosting) {
    send("hard");
    EXPECT_TRUE(options.optionFlags & OPT_PONDER);
    pondering = 1;
    send("easy");
    EXPECT_FALSE(options.optionFlags & OPT_PONDER);
    EXPECT_EQ(searchSignal, SIG_ABORT);
    send("nopost");
    EXPECT_FALSE(options.optionFlags & OPT_POST);
    send("post");
    EXPECT_TRUE(options.optionFlags & OPT_POST);
    send("computer");
    EXPECT_TRUE(options.optionFlags & OPT_COMPUTER);
}

TEST_F(XboardHandler, PingAnswersWithItsToken) {
    EXPECT_EQ(send("ping 7"), "pong 7\n");
    EXPECT_EQ(send("ping"), "pong \n");
    EXPECT_EQ(searchSignal, SIG_ABORT);
}
