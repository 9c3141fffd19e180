#include "tests/search/search_fixture.h"

#include <unistd.h>

#include "egtb/syzygy.h"
#include "eval/pawns.h"
#include "eval/pst.h"
#include "frontend/control.h"
#include "frontend/input.h"
#include "search/limits.h"
#include "search/ordering.h"
#include "search/state.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/tt.h"
#include "tests/support/board_helpers.h"
#include "tests/support/input_pipe.h"

namespace {

int inputWriter = -1;

/// Allocates the tables once and replaces standard input by a pipe that
/// stays open, so that the search's input poll finds nothing unless a test
/// sends something.
class SearchEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        inputWriter = pipeToStandardInput();
        ASSERT_GE(inputWriter, 0);
        setInputPoller(checkInput);
        options.ttShift = 16;
        ASSERT_TRUE(ttAllocate(options.ttShift));
        ASSERT_TRUE(pawnHashAllocate());
    }
    void TearDown() override {
        ttRelease();
        pawnHashRelease();
    }
};

const auto *environment = ::testing::AddGlobalTestEnvironment(new SearchEnvironment);

}  // namespace

void resetEngine() {
    options.optionFlags = OPT_XBOARD;
    options.threads = 1;
    options.multiPv = 1;
    timeControl.movesPerControl = 0;
    timeControl.baseTime = 0;
    timeControl.increment = 0;
    timeControl.moveTime = 0;
    timeControl.maxDepth = 64;
    analyzing = pondering = 0;
    clearSearchLimits();
    forgetHelpers();  // the last search's helpers count no more
    syzygyHits = 0;
    newGame();
    mainThread.previousScore = 0;
    mainThread.pvLength[0] = 0;
    mainThread.lastDepth = 0;
    mainThread.ttAge = 0;
    initPieceSquareTables();
    clearHistoryAndKillers();
    ttClear();
    pawnHashClear();
}

void sendInput(const char *line) {
    std::string text = std::string(line) + "\n";
    ASSERT_EQ(write(inputWriter, text.data(), unsigned(text.size())), int(text.size()));
}

void thinkToDepth(int depth) {
    timeControl.moveTime = 0;
    timeControl.maxDepth = uint8_t(depth);
    timeControl.searchStart = elapsedMs();
    think();
}

void SearchTest::expectPositionRestored() {
    EXPECT_EQ(positionFault(), nullptr);
    EXPECT_EQ(pos.hashKey, keyBefore);
    EXPECT_EQ(pos.gamePly, plyBefore);
    EXPECT_EQ(pos.ply, 0);
    EXPECT_EQ(searching, 0);
}

void SearchTest::expectMoveFound() {
    EXPECT_NE(findMove(text(mainThread.pvTable[0][0]).c_str()), Move(0)) << text(mainThread.pvTable[0][0]);
}

void SearchTest::search(const char *fen, int threads, int depth) {
    resetEngine();
    options.threads = uint8_t(threads);
    startPosition(fen);
    thinkToDepth(depth);
    expectPositionRestored();
}
