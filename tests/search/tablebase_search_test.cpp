// The search with tablebases: Syzygy wins shown as centipawns, the hits and
// the probe limit; several threads meeting freshly loaded Syzygy tables
// together and reading Nalimov files through the shared block cache.
#include <gtest/gtest.h>

#include <string>

#include "board/makemove.h"
#include "board/position.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/files.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "search/state.h"
#include "search/threads.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

// The 3-man and some 4-man tables with their distance files.
const char *SYZYGY = "tests/data/syzygy";
// Those and the win/draw/loss files of every other 4-man ending. Two
// spellings of the same path, so that switching between them loads the
// tables afresh.
const std::string SYZYGY_WDL[2] = {std::string(SYZYGY) + FOLDER_LIST_SEPARATOR + "tests/data/syzygy-wdl",
                                   std::string("./") + SYZYGY + FOLDER_LIST_SEPARATOR + "./tests/data/syzygy-wdl"};

// Loads before the tables are known to be safe: with unprepared tables a
// crash came within two rounds on every run tried.
constexpr int ROUNDS = 4;

// Kxd4 (or any king move) wins: the capture reaches a won KPvK at ply 1.
const char *WON_KPKP = "8/8/8/4P3/3p4/2K5/8/k7 w - -";

class TablebaseSearch : public SearchTest {
protected:
    int loads = 0;
    ScratchDirectory scratch;

    void TearDown() override {
        syzygy.probeLimit = 7;
        useSyzygy("");
        if (!scratch.path.empty()) {
            options.egtbPath[0] = '\0';
            tbRelease();
            tbVerify = true;
            removeScratchDirectory(scratch);
        }
        SearchTest::TearDown();
    }
    static void useSyzygy(const std::string &path) {
        syzygySetPath(path.c_str());
        syzygyLoad();
        if (!path.empty()) {
            ASSERT_EQ(syzygy.largest, 4);
        }
    }
    /// A Nalimov "kqk" table, white to move, in which every position is a
    /// win whose byte is 30 (a score of 9806 at the root, 9804 two plies on).
    void useNalimovWins() {
        makeScratchDirectory(scratch, "tb-threads", false);
        writeScratchFile(scratch, "kqk.nbw", std::string(28644, char(30)));
        tbVerify = false;  // the file is made up: no real table is all wins
        options.egtbCacheMB = 1;
        std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", scratch.path.c_str());
        ASSERT_EQ(tbRediscover(), 3);
    }
    /// The win/draw/loss value of the current position for the side to
    /// move: 4 win, 2 draw, 0 loss.
    static unsigned wdlHere() {
        int16_t score = 1;
        EXPECT_TRUE(syzygyProbeWdl(&score));
        return score > 0 ? 4 : score == 0 ? 2 : 0;
    }
};

TEST_F(TablebaseSearch, SyzygyWinIsShownInCentipawnsWithTheHitsOfEveryThread) {
    useSyzygy(SYZYGY);
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        resetEngine();
        options.threads = uint8_t(threads);
        options.optionFlags = OPT_UCI | OPT_POST;
        setPosition(WON_KPKP);
        startCapture();
        thinkToDepth(5);
        std::string output = stopCapture();
        EXPECT_EQ(mainThread.previousScore, TB_WIN_SCORE - 1);
        EXPECT_EQ(output.find("mate"), std::string::npos) << output;
        std::string line = output.substr(output.rfind("info score"));
        EXPECT_EQ(line.rfind("info score cp " + std::to_string(TB_WIN_SCORE - 1) + " depth 5 ", 0), 0u) << line;
        // The hits printed are those counted so far: more than the root ranking.
        size_t at = line.find(" tbhits ");
        ASSERT_NE(at, std::string::npos) << line;
        unsigned long printed = std::stoul(line.substr(at + 8));
        EXPECT_GT(printed, 1u);
        EXPECT_LE(printed, totalTbHits());
        if (threads == 1)
            EXPECT_EQ(totalTbHits(), syzygyHits);
        else
            EXPECT_GT(totalTbHits(), syzygyHits);  // the helpers' hits are added
    }
}

TEST_F(TablebaseSearch, SyzygyProbeLimitKeepsBiggerEndingsOutOfTheSearch) {
    // At limit 3 only the 3-man positions after a capture into KPvK are
    // probed, not the 4-man root nor the nodes after pawn moves; at 0 none.
    useSyzygy(SYZYGY);
    const int limits[3] = {3, 7, 0};
    uint64_t hits[3];
    for (int i = 0; i < 3; i++) {
        syzygy.probeLimit = limits[i];
        resetEngine();
        setPosition(WON_KPKP);
        thinkToDepth(4);
        hits[i] = syzygyHits;
    }
    EXPECT_LT(hits[0], hits[1]);
    EXPECT_GT(hits[0], 0u);
    EXPECT_EQ(hits[2], 0u);
}

TEST_F(TablebaseSearch, FreshSyzygyTablesUnderManyThreadsKeepTheResult) {
    // Endings of five men whose captures lead into the 3- and 4-man tables,
    // where every thread probes tables that no probe has opened before; and
    // endings of four men in the tables, with their values from the fathom
    // command (4 win, 2 draw, 0 loss), which the move played must keep.
    struct Case { const char *fen; int wdl; };
    const Case cases[] = {
        {"8/8/2k5/8/2PKp3/8/8/5r2 w - -", -1},   {"6k1/8/6K1/5P2/8/8/r7/1R6 b - -", -1},
        {"8/3k4/8/2pP4/8/3K4/8/7R w - -", -1},   {"8/8/1r6/4k3/8/3B4/2N5/4K3 w - -", -1},
        {"4k3/8/8/3nb3/8/8/3Q4/4K3 w - -", -1},  {"8/8/4k3/8/2nP4/3K4/8/3R4 b - -", -1},
        {"8/8/8/3k4/8/3K4/3P4/7r w - -", 0},     {"8/1k6/8/8/3p4/8/6K1/R7 w - -", 4},
        {"8/8/3kp3/8/8/3K4/4P3/8 w - -", 2},     {"2k5/8/8/8/8/8/4r3/3QK3 w - -", 4},
    };
    for (int round = 0; round < ROUNDS; round++) {
        for (int threads : {2, 4}) {
            for (const Case &c : cases) {
                SCOPED_TRACE(std::string(c.fen) + ", threads " + std::to_string(threads));
                useSyzygy(SYZYGY_WDL[loads++ % 2]);
                if (c.wdl >= 0) {
                    setPosition(c.fen);
                    ASSERT_EQ(wdlHere(), unsigned(c.wdl));
                }
                search(c.fen, threads, 6);
                expectMoveFound();
                if (c.wdl < 0) continue;
                ASSERT_TRUE(makeMove(findMove(text(mainThread.pvTable[0][0]).c_str())));
                EXPECT_EQ(wdlHere(), 4u - c.wdl) << text(mainThread.pvTable[0][0]);
                unmakeMove();
            }
        }
    }
}

TEST_F(TablebaseSearch, NalimovCacheSharedByManyThreads) {
    // Every search starts with an empty cache (discovery lays it out anew),
    // so the threads read the same blocks from the file at once. The root
    // probe finds a win, and the search keeps the queen: its score is the
    // table's win two plies on, whichever thread settled it.
    useNalimovWins();
    for (int round = 0; round < ROUNDS; round++) {
        for (int threads : {2, 4}) {
            SCOPED_TRACE("threads " + std::to_string(threads));
            ASSERT_EQ(tbRediscover(), 3);
            search("8/8/8/8/8/8/Q7/K1k5 w - -", threads, 6);
            expectMoveFound();
            EXPECT_EQ(mainThread.previousScore, tbScoreForValue(tbValueForByte(30), 2));
        }
    }
}

}  // namespace
