// The parallel search: settings changed while the helpers search, their
// silence, and the node count of one thread after them.
#include "search/threads.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "board/position.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "frontend/control.h"
#include "search/bench.h"
#include "search/state.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

using ThreadedSearch = SearchTest;

TEST_F(ThreadedSearch, SettingsChangedDuringASearchLeaveItRunning) {
    // The main thread reads one command at each poll (every 8192 nodes);
    // the settings change while the helpers search, and the last command
    // ends the search. The helpers read none of these settings.
    struct Case { uint16_t protocol; bool analysis; const char *commands[3]; int threadsAfter; uint8_t signal; };
    const Case cases[] = {
        {OPT_XBOARD, false, {"nopost", "cores 3", "?"}, 3, SIG_MOVE_NOW},
        {OPT_XBOARD | OPT_POST, false, {"computer", "cores 1", "force"}, 1, SIG_ABORT},
        {OPT_UCI, false, {"setoption name MultiPV value 3", "setoption name Threads value 4", "stop"}, 4, SIG_ABORT},
        {OPT_UCI, true, {"setoption name MultiPV value 2", "setoption name Threads value 4", "stop"}, 4, SIG_ABORT},
        {OPT_UCI, false, {"debug on", "setoption name Ponder value true", "stop"}, 2, SIG_ABORT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.commands[0]);
        resetEngine();
        options.threads = 2;
        options.optionFlags = c.protocol;
        analyzing = c.analysis;  // "stop" ends the analysis
        startPosition(MIDDLEGAME_POSITION);
        for (const char *command : c.commands) sendInput(command);
        startCapture();
        thinkToDepth(64);
        stopCapture();
        EXPECT_EQ(searchSignal, c.signal);
        EXPECT_EQ(mainThread.nodeCount, 3 * 8192u);  // one command per poll
        EXPECT_EQ(options.threads, c.threadsAfter);
        expectPositionRestored();
        game.pendingCommand = 0;
        game.engineSide = NO_SIDE;
    }
}

TEST_F(ThreadedSearch, HelpersPrintNothing) {
    // The main thread announces each depth once, or twice with a re-search,
    // and its lines come in order of depth. Helpers search ahead of it and,
    // at the depth limit, again and again: a line of theirs would show a
    // depth out of order or too often.
    options.optionFlags = OPT_UCI | OPT_POST;
    options.threads = 4;
    startPosition(MIDDLEGAME_POSITION);
    startCapture();
    thinkToDepth(6);
    std::istringstream output(stopCapture());
    int announced[8] = {}, lastDepthShown = 0;
    for (std::string line; std::getline(output, line);) {
        size_t at = line.find(" depth ");
        if (at == std::string::npos) continue;
        int depth = std::atoi(line.c_str() + at + 7);
        ASSERT_GE(depth, lastDepthShown) << line;
        ASSERT_LE(depth, 6) << line;
        lastDepthShown = depth;
        if (line.rfind("info depth ", 0) == 0) announced[depth]++;
    }
    for (int depth = 1; depth <= 6; depth++) EXPECT_TRUE(announced[depth] == 1 || announced[depth] == 2) << depth;
}

TEST_F(ThreadedSearch, BenchWithOneThreadSearchesAsBeforeThreadsAndKeepsTheGame) {
    // Measured with the engine as it was before it had threads: "bench 4"
    // searched 171574 nodes. A bench with helpers in between changes
    // nothing, and the game goes on where it was.
    ASSERT_TRUE(playMoves("e2e4 c7c5"));
    rememberRoot();
    uint32_t elapsed;
    EXPECT_EQ(benchNodes(4, &elapsed), 171574u);
    options.threads = 3;
    benchNodes(3, &elapsed);
    options.threads = 1;
    EXPECT_EQ(benchNodes(4, &elapsed), 171574u);
    expectPositionRestored();
}

}  // namespace
