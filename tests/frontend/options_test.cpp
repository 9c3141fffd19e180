// The settings through both protocols: UCI setoption, xboard's option,
// memory and cores, each seen in the UCI option list with its value in
// effect; table changes during a search; paths that cannot serve.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "egtb/syzygy.h"
#include "eval/pawns.h"
#include "frontend/control.h"
#include "frontend/options.h"
#include "search/tt.h"
#include "tests/frontend/frontend_fixture.h"

using Settings = FrontendTest;

TEST_F(Settings, EachSettingTakesEffectAndIsAnnouncedWithItsValue) {
    // The rows run in order, each from where the one before left. Lines that
    // begin with setoption are UCI, the others xboard. Hash tables of 48-byte
    // buckets: 64 MB hold 2^20 (48 MB); xboard's memory holds the quiescence
    // table (64 KB) and 128 KB of pawn hash per thread as well, so 48 MB, or
    // 49 MB with nine threads, hold 2^19 (24 MB). A check is true for a word
    // beginning with t; an option without its value changes nothing.
    struct Case { const char *lines, *announced; };
    options.optionFlags |= OPT_PONDER;
    options.threads = 1;
    const int probeLimit = syzygy.probeLimit;
    const Case cases[] = {
        {"setoption name Hash value 64", "Hash type spin default 48 min 1 max 131072"},
        {"setoption name Hash value 0", "Hash type spin default 1 min 1 max 131072"},
        {"memory 48", "Hash type spin default 24 min 1 max 131072"},
        {"cores 9\nmemory 49", "Hash type spin default 24 min 1 max 131072"},
        {"cores 100\ncores", "Threads type spin default 64 min 1 max 64"},
        {"setoption name MultiPV value 256", "MultiPV type spin default 256 min 1 max 256"},
        {"setoption name MultiPV value 257", "MultiPV type spin default 1 min 1 max 256"},
        {"setoption name multipv value 3\nsetoption name MultiPV", "MultiPV type spin default 3 min 1 max 256"},
        {"setoption name move  overhead value 9000", "Move Overhead type spin default 5000 min 0 max 5000"},
        {"setoption name Ponder value\nsetoption name Ponder\nsetoption name\nsetoption",
         "Ponder type check default true"},
        {"setoption name CanResign value TRUE", "CanResign type check default true"},
        {"option CanResign=0", "CanResign type check default false"},
        {"setoption name EnableBookLearning value yes", "EnableBookLearning type check default false"},
        {"setoption name UCI_Elo value 99999", "UCI_Elo type spin default 2050 min 800 max 2050"},
        {"setoption name Skill Level value -1", "Skill Level type spin default 0 min 0 max 20"},
        {"setoption name SyzygyProbeLimit value 9", "SyzygyProbeLimit type spin default 7 min 0 max 7"},
        {"setoption name NalimovCache value 0", "NalimovCache type spin default 2 min 1 max 64"},
        {"option PolyglotBook=", "PolyglotBook type string default "}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines);
        bool uci = std::strncmp(c.lines, "setoption", 9) == 0;
        options.optionFlags = uint16_t((options.optionFlags & ~(OPT_UCI | OPT_XBOARD)) | (uci ? OPT_UCI : OPT_XBOARD));
        send(c.lines);
        EXPECT_NE(send("uci").find(std::string("\noption name ") + c.announced + "\n"), std::string::npos);
    }
    syzygy.probeLimit = probeLimit;
}

TEST_F(Settings, OpponentIsAComputerWhenItsThirdWordSaysSo) {
    options.optionFlags = OPT_UCI;
    for (auto [value, computer] : {std::pair{"GM 2800 computer Name", true}, {"none none human Someone", false},
                                   {"IM 2400 Computer", true}, {"IM 2400", false}}) {
        send(std::string("setoption name UCI_Opponent value ") + value);
        EXPECT_EQ((options.optionFlags & OPT_COMPUTER) != 0, computer) << value;
    }
}

TEST_F(Settings, HashChangesWaitForTheEndOfTheSearch) {
    options.optionFlags = OPT_UCI;
    TTSlot *before = ttTable;
    ttBucket()[0].data = 1;
    searching = 1;  // helper threads could be reading the table
    send("setoption name Hash value 64\nsetoption name Clear Hash");
    EXPECT_EQ(ttTable, before);
    EXPECT_EQ(ttBucket()[0].data, 1u);
    searching = 0;
    applyWaitingTableChanges();
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 1048576u);
    ttBucket()[0].data = 1;
    pawnHash[5].key = 7;
    options.optionFlags = OPT_XBOARD;
    send("option Clear Hash");
    EXPECT_EQ(ttBucket()[0].data, 0u);
    EXPECT_EQ(pawnHash[5].key, 0u);
}

TEST_F(Settings, PathsThatCannotServeAreNamedOnceAndBlanksAreKept) {
    options.optionFlags = OPT_UCI;
    EXPECT_EQ(send("setoption name NalimovPath value /no such/tables  "),
              "info string Nalimov path /no such/tables does not exist\n");
    EXPECT_STREQ(options.egtbPath, "/no such/tables");
    EXPECT_EQ(send("setoption name NalimovPath value tests/data/polyglot_games.pgn;tests"),
              "info string Nalimov path tests/data/polyglot_games.pgn is not a folder\n");
    EXPECT_EQ(send("setoption name NalimovPath value <empty>"), "");
    EXPECT_STREQ(options.egtbPath, "");
}
