#include "tests/frontend/frontend_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/notation.h"
#include "engine/output.h"
#include "eval/pawns.h"
#include "frontend/input.h"
#include "search/state.h"
#include "search/tt.h"
#include "tests/support/capture.h"
#include "tests/support/input_pipe.h"

void FrontendTest::SetUp() {
    ASSERT_TRUE(ttAllocate(16));
    ASSERT_TRUE(pawnHashAllocate());
    setInputPoller(checkInput);
    // Defaults and time control as start-up sets them.
    options = EngineOptions{};
    options.optionFlags = OPT_XBOARD | OPT_POST;
    options.ttShift = 16;
    options.egtbCacheMB = 2;
    options.multiPv = 1;
    timeControl = TimeControl{};
    searching = analyzing = pondering = searchSignal = 0;
    chess960 = false;
    newGame();
    game.forceMode = false;
    game.pendingCommand = 0;
    game.expectedReply = 0;
    game.setupText[0] = '\0';
    timeControl.baseTime = 500;
    timeControl.moveTime = 500;
    timeControl.maxDepth = 64;
    startCapture();
}

void FrontendTest::TearDown() {
    stopCapture();
    searching = analyzing = pondering = searchSignal = 0;
    chess960 = false;
}

std::string FrontendTest::printed() { return readCapture(); }

std::string FrontendTest::send(const std::string &lines) {
    for (size_t start = 0, end; start < lines.size(); start = end + 1) {
        end = std::min(lines.find('\n', start), lines.size());
        char buffer[INPUT_BUFFER_SIZE];
        std::snprintf(buffer, sizeof buffer, "%s", lines.substr(start, end - start).c_str());
        dispatchLine(buffer);
    }
    return printed();
}

void FrontendTest::presetClocks() {
    timeControl.movesPerControl = 3;
    timeControl.baseTime = timeControl.moveTime = 500;
    timeControl.increment = 7;
    timeControl.maxDepth = 12;
    timeControl.clock[WHITE] = timeControl.clock[BLACK] = 700;
    timeControl.lagAllowance = 90;
    searchSignal = SIG_NONE;
}

std::string FrontendTest::clockState() {
    char text[160];
    std::snprintf(text, sizeof text, "togo %d base %u inc %d time %u depth %d clocks %d %d lag %d%s",
                  timeControl.movesPerControl, timeControl.baseTime, timeControl.increment, timeControl.moveTime,
                  timeControl.maxDepth, timeControl.clock[WHITE], timeControl.clock[BLACK], timeControl.lagAllowance,
                  searchSignal == SIG_ABORT ? " abort" : "");
    return text;
}

std::string FrontendTest::runSession(const std::string &input) {
    // The loop must stop at its own "quit", never at the end of the input,
    // which would close the engine's input for the tests that follow.
    EXPECT_TRUE(input.size() >= 5 && input.compare(input.size() - 5, 5, "quit\n") == 0);
    EXPECT_LT(input.size(), size_t(60000));  // fits in the pipe without a reader
    int savedInput = dup(0);
    int writer = pipeToStandardInput();
    if (writer < 0) {
        ADD_FAILURE() << "no pipe";
        return "";
    }
    EXPECT_EQ(write(writer, input.data(), unsigned(input.size())), int(input.size()));
    mainLoop();
    dup2(savedInput, 0);
    close(savedInput);
    close(writer);
    return printed();
}

// Under the address sanitizer a failed allocation returns null, as the C
// library's does, instead of ending the program: the tests of a table that
// cannot be allocated need that answer. Without the sanitizer this is unused.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }
