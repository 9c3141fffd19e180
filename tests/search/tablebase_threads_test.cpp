// Several search threads probing the tablebases: Syzygy tables loaded
// afresh before every search, so that the threads meet each table for the
// first time together; Nalimov files read through the shared block cache;
// and tablebase settings changed during a search, which wait for its end.
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
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

// The 3-man and some 4-man tables with their distance files, and the
// win/draw/loss files of every other 4-man ending. Two spellings of the same
// path, so that switching between them loads the tables afresh.
const std::string SYZYGY_TABLES[2] = {std::string("tests/data/syzygy") + FOLDER_LIST_SEPARATOR + "tests/data/syzygy-wdl",
                                      std::string("./tests/data/syzygy") + FOLDER_LIST_SEPARATOR +
                                          "./tests/data/syzygy-wdl"};

// Loads before the tables are known to be safe: with unprepared tables a
// crash came within two rounds on every run tried.
constexpr int ROUNDS = 4;

class ThreadedTablebases : public RootSearchTest {
protected:
    int loads = 0;
    ScratchDirectory scratch;

    void TearDown() override {
        useSyzygy("");
        if (!scratch.path.empty()) {
            options.egtbPath[0] = '\0';
            tbRelease();
            tbVerify = true;
            removeScratchDirectory(scratch);
        }
        RootSearchTest::TearDown();
    }
    static void useSyzygy(const char *path) {
        syzygySetPath(path);
        syzygyLoad();
    }
    /// Loads the Syzygy tables again, as a fresh engine would find them.
    void reloadSyzygy() {
        useSyzygy(SYZYGY_TABLES[loads++ % 2].c_str());
        ASSERT_EQ(syzygy.largest, 4);
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

TEST_F(ThreadedTablebases, FreshSyzygyTablesUnderManyThreadsKeepTheResult) {
    // Endings of five men whose captures lead into the 3- and 4-man tables:
    // every thread probes tables that no probe has opened before.
    const char *fiveMen[] = {
        "8/8/2k5/8/2PKp3/8/8/5r2 w - -",   "6k1/8/6K1/5P2/8/8/r7/1R6 b - -",  "8/3k4/8/2pP4/8/3K4/8/7R w - -",
        "8/8/1r6/4k3/8/3B4/2N5/4K3 w - -", "4k3/8/8/3nb3/8/8/3Q4/4K3 w - -", "8/8/4k3/8/2nP4/3K4/8/3R4 b - -",
    };
    // Endings of four men in the tables, with their values from the fathom
    // command: the move played must keep the root's result (4 win, 2 draw,
    // 0 loss).
    struct InTables { const char *fen; unsigned wdl; };
    const InTables fourMen[] = {
        {"8/8/8/3k4/8/3K4/3P4/7r w - -", 0}, {"8/1k6/8/8/3p4/8/6K1/R7 w - -", 4},
        {"8/8/3kp3/8/8/3K4/4P3/8 w - -", 2}, {"2k5/8/8/8/8/8/4r3/3QK3 w - -", 4},
    };
    for (int round = 0; round < ROUNDS; round++) {
        for (int threads : {2, 4}) {
            for (const char *fen : fiveMen) {
                SCOPED_TRACE(std::string(fen) + ", threads " + std::to_string(threads));
                reloadSyzygy();
                search(fen, threads, 6);
                expectMoveFound();
            }
            for (const InTables &c : fourMen) {
                SCOPED_TRACE(std::string(c.fen) + ", threads " + std::to_string(threads));
                reloadSyzygy();
                setPosition(c.fen);
                ASSERT_EQ(wdlHere(), c.wdl);
                search(c.fen, threads, 6);
                ASSERT_TRUE(makeMove(findMove(text(mainThread.pvTable[0][0]).c_str())));
                EXPECT_EQ(wdlHere(), 4 - c.wdl) << text(mainThread.pvTable[0][0]);
                unmakeMove();
            }
        }
    }
}

TEST_F(ThreadedTablebases, NalimovCacheSharedByManyThreads) {
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

TEST_F(ThreadedTablebases, PathChangesDuringASearchWaitForTheNextOne) {
    reloadSyzygy();
    useNalimovWins();
    int16_t score;
    // As a handler running inside a search sets them: the tables stay
    // loaded and answer, for this search and its helper threads.
    searching = 1;
    syzygySetPath("");
    std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", "tests/data");  // no Nalimov files there
    EXPECT_EQ(tbRediscover(), 3);
    setPosition("8/8/8/8/8/8/Q7/K1k5 w - -");
    EXPECT_EQ(syzygy.largest, 4);
    EXPECT_TRUE(syzygyProbeWdl(&score));
    EXPECT_EQ(tbProbe(&score), 1);
    searching = 0;
    // The next search starts by applying both: no tables of either kind.
    search("8/8/8/8/8/8/Q7/K1k5 w - -", 2, 3);
    EXPECT_EQ(syzygy.largest, 0);
    EXPECT_EQ(tbState, 0);
    EXPECT_EQ(tbProbe(&score), 0);
}

}  // namespace
