// Loading the Syzygy tables and probing them. The expected win/draw/loss and
// distance-to-zero values were worked out with the "fathom" command on the
// same tables (tests/data/syzygy holds the 3-man tables, KPvKP and the
// win/draw/loss file of KBNvK).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "egtb/syzygy.h"
#include "engine/output.h"
#include "tests/support/board_helpers.h"
#include "tests/support/capture.h"
#include "tests/support/scratch_dir.h"

namespace {

constexpr const char *TEST_TABLES = "tests/data/syzygy";

/// Loads `path` and returns what loading printed.
std::string loadPath(const char *path, SyzygyLoad *outcome) {
    startCapture();
    std::snprintf(syzygy.path, sizeof syzygy.path, "%s", path);
    *outcome = syzygyLoad();
    return stopCapture();
}

class SyzygyProbe : public ::testing::Test {
protected:
    void SetUp() override {
        SyzygyLoad outcome;
        loadPath(TEST_TABLES, &outcome);
        ASSERT_EQ(syzygy.largest, 4);
    }
};

const char *const WDL_NAMES[5] = {"Loss", "BlessedLoss", "Draw", "CursedWin", "Win"};

struct Expected {
    const char *fen;
    int wdl;
    unsigned dtz;
};

// Values from the fathom command, side to move's point of view. Wrong
// bitboards, side to move or en-passant square in the position handed to
// Fathom show here; castling rights keep a position out of the tables.
const Expected VALUES[] = {
    {"8/8/8/4k3/8/8/8/K6Q w - -", SYZYGY_WIN, 17},
    {"8/8/8/4K3/8/8/8/k6q b - -", SYZYGY_WIN, 17},  // the colours exchanged
    {"8/8/8/4K3/8/8/8/k6q w - -", SYZYGY_LOSS, 18},
    {"8/8/8/4k3/8/8/8/K6R w - -", SYZYGY_WIN, 29},
    {"8/8/8/4k3/8/8/8/K6R b - -", SYZYGY_LOSS, 30},
    {"4k3/8/4K3/4P3/8/8/8/8 w - -", SYZYGY_WIN, 3},
    {"4k3/8/8/4P3/4K3/8/8/8 b - -", SYZYGY_DRAW, 0},
    {"8/1k6/8/8/8/8/6P1/6K1 b - -", SYZYGY_LOSS, 2},
    {"8/8/8/8/8/1k6/1p6/1K6 b - -", SYZYGY_WIN, 5},
    {"8/8/8/4P3/3p4/2K5/8/k7 w - -", SYZYGY_WIN, 1},
    // Only the en-passant capture wins: exd6, and for Black dxe3.
    {"8/7k/8/3pP3/8/8/8/K7 w - d6", SYZYGY_WIN, 1},
    {"8/7k/8/3pP3/8/8/8/K7 w - -", SYZYGY_DRAW, 0},
    {"7k/8/8/8/3pP3/8/8/K7 b - e3", SYZYGY_WIN, 1},
    {"7k/8/8/8/3pP3/8/8/K7 b - -", SYZYGY_DRAW, 0},
    // Stalemate, and checkmate: the mated side has lost.
    {"8/8/8/8/8/1k6/1p6/1K6 w - -", SYZYGY_DRAW, 0},
    {"k7/1Q6/1K6/8/8/8/8/8 b - -", SYZYGY_LOSS, 0},
};

TEST_F(SyzygyProbe, WinDrawLossAndDistanceAgreeWithFathom) {
    for (const Expected &e : VALUES) {
        setFen(e.fen);
        unsigned wdl = 99, dtz = 99;
        ASSERT_TRUE(syzygyProbeDtz(&wdl, &dtz)) << e.fen;
        EXPECT_STREQ(WDL_NAMES[wdl], WDL_NAMES[e.wdl]) << e.fen;
        EXPECT_EQ(dtz, e.dtz) << e.fen;
    }
}

TEST_F(SyzygyProbe, SearchProbeScoresWinsInTheBandAndDrawsAsZero) {
    for (const Expected &e : VALUES) {
        if (e.dtz == 0 && e.wdl != SYZYGY_DRAW) continue;  // mate: the search finds it itself
        setFen(e.fen);
        // A win scores 8800 less the ply, a loss the negative.
        const int WIN_AT[] = {8800, 8799, 8791};
        for (int i = 0; i < 3; i++) {
            int ply = (int[]){0, 1, 9}[i];
            pos.ply = uint8_t(ply);
            int16_t score = 12345;
            ASSERT_TRUE(syzygyProbeWdl(&score)) << e.fen;
            int expected = e.wdl == SYZYGY_WIN ? WIN_AT[i] : e.wdl == SYZYGY_LOSS ? -WIN_AT[i] : 0;
            EXPECT_EQ(score, expected) << e.fen << " at ply " << ply;
        }
        pos.ply = 0;
    }
}

TEST_F(SyzygyProbe, PositionWithTheSideNotToMoveInCheckIsNeverShownToFathom) {
    // Fathom stops the program on such a position; no FEN gives it.
    setFen("8/8/8/4k3/8/8/8/K3Q3 b - -");
    std::swap(pos.sideToMove, pos.otherSide);
    SyzygyPosition converted;
    int16_t score;
    EXPECT_FALSE(syzygyPosition(&converted));
    EXPECT_FALSE(syzygyProbeWdl(&score));
    std::swap(pos.sideToMove, pos.otherSide);
}

TEST_F(SyzygyProbe, WinDrawLossWithoutTheDistanceTable) {
    // KBNvK has only its win/draw/loss file here: the search probe answers,
    // the distance probe does not.
    setFen("8/8/1k6/8/8/8/2N5/K1B5 w - -");
    int16_t score;
    ASSERT_TRUE(syzygyProbeWdl(&score));
    EXPECT_EQ(score, 8800);
    unsigned wdl, dtz;
    EXPECT_FALSE(syzygyProbeDtz(&wdl, &dtz));
}

TEST_F(SyzygyProbe, FiftyMoveCountTurnsAWinIntoACursedWin) {
    // fathom: Win with DTZ 17 at a count of 0 and of 82, CursedWin at 84.
    setFen("8/8/8/4k3/8/8/8/K6Q w - -");
    for (auto [count, expected] : {std::pair{0, SYZYGY_WIN}, {82, SYZYGY_WIN}, {84, SYZYGY_CURSED_WIN}}) {
        pos.fiftyCount = uint8_t(count);
        unsigned wdl, dtz;
        ASSERT_TRUE(syzygyProbeDtz(&wdl, &dtz));
        EXPECT_STREQ(WDL_NAMES[wdl], WDL_NAMES[expected]) << "count " << count;
        EXPECT_EQ(dtz, 17u);
    }
}

TEST_F(SyzygyProbe, PositionsOutsideTheTablesAreNotFoundNorCountedAsHits) {
    int16_t score;
    unsigned wdl, dtz;
    syzygyHits = 0;
    setFen("8/8/8/4k3/8/8/8/K6Q w - -");
    ASSERT_TRUE(syzygyProbeWdl(&score));
    ASSERT_TRUE(syzygyProbeWdl(&score));
    // Five men; castling rights; a 4-man table that is not here.
    for (const char *fen : {"8/8/8/4k3/8/8/3PP3/K6Q w - -", "r3k3/8/8/8/8/8/8/4K3 b q -", "8/8/8/4k3/8/8/8/K5QR w - -"}) {
        setFen(fen);
        EXPECT_FALSE(syzygyProbeWdl(&score)) << fen;
        EXPECT_FALSE(syzygyProbeDtz(&wdl, &dtz)) << fen;
        syzygyRankRootMoves();
        EXPECT_FALSE(syzygy.rootFilter) << fen;
    }
    EXPECT_EQ(syzygyHits, 2u);
}

/// The moves the root filter keeps, in coordinate text.
std::set<std::string> keptMoves() {
    std::set<std::string> kept;
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++)
        if (syzygyRootAllows(entry->move)) kept.insert(moveToText(entry->move));
    return kept;
}

TEST_F(SyzygyProbe, RootKeepsTheMovesOfTheBestRank) {
    struct Case {
        const char *fen;
        int fiftyCount;
        std::set<std::string> kept;  // fathom's winning (or drawing) moves
    };
    const Case cases[] = {
        // Won: every winning move, but not Qe4 or Qd5, which give the queen away.
        {"8/8/8/4k3/8/8/8/K6Q w - -", 0,
         {"a1b1", "a1a2", "a1b2", "h1b1", "h1c1", "h1d1", "h1e1", "h1f1", "h1g1", "h1g2", "h1h2", "h1f3", "h1h3",
          "h1h4", "h1h5", "h1c6", "h1h6", "h1b7", "h1h7", "h1a8", "h1h8"}},
        // Late in the fifty moves only the moves that still mate in time.
        {"8/8/8/4k3/8/8/8/K6Q w - -", 82, {"a1b2", "h1f1", "h1f3", "h1h5", "h1c6", "h1h6"}},
        // Drawn: the one king move that holds.
        {"8/4k3/8/8/4K3/4P3/8/8 b - -", 0, {"e7e6"}},
        // Promotions to queen or rook win; to knight or bishop they draw.
        {"8/P7/8/8/8/8/8/k1K5 w - -", 0, {"c1d1", "c1c2", "c1d2", "a7a8Q", "a7a8R"}},
        // Only the en-passant capture wins.
        {"8/7k/8/3pP3/8/8/8/K7 w - d6", 0, {"e5d6"}},
        // Ranked by win/draw/loss alone where the distance table is missing.
        {"8/8/8/8/8/2k5/1NB5/K7 b - -", 0, {"c3c2"}},
    };
    for (const Case &c : cases) {
        setFen(c.fen);
        pos.fiftyCount = uint8_t(c.fiftyCount);
        syzygyRankRootMoves();
        EXPECT_TRUE(syzygy.rootFilter) << c.fen;
        EXPECT_EQ(keptMoves(), c.kept) << c.fen;
    }
}

/// Writes the first `length` bytes of a test table into `directory`.
void copyTable(const std::string &directory, const char *name, long length) {
    std::string source = std::string(TEST_TABLES) + "/" + name;
    FILE *in = std::fopen(source.c_str(), "rb");
    ASSERT_NE(in, nullptr) << source;
    FILE *out = std::fopen((directory + "/" + name).c_str(), "wb");
    ASSERT_NE(out, nullptr);
    for (int c; length != 0 && (c = std::fgetc(in)) != EOF; length--) std::fputc(c, out);
    std::fclose(in);
    std::fclose(out);
}

TEST(SyzygyLoading, TruncatedOrEmptyFilesAreNotInTheTables) {
    ScratchDirectory scratch;
    ASSERT_NO_FATAL_FAILURE(makeScratchDirectory(scratch, "syzygy", false));
    const char *directory = scratch.path.c_str();
    copyTable(directory, "KQvK.rtbw", -1);
    copyTable(directory, "KQvK.rtbz", -1);
    copyTable(directory, "KRvK.rtbw", 100);
    copyTable(directory, "KRvK.rtbz", 3000);
    copyTable(directory, "KPvK.rtbw", 0);
    copyTable(directory, "KPvKP.rtbw", 100000);
    SyzygyLoad outcome;
    EXPECT_EQ(loadPath(directory, &outcome), "");  // Fathom's own notes stay off the output
    EXPECT_EQ(outcome, SyzygyLoad::Loaded);
    int16_t score;
    unsigned wdl, dtz;
    setFen("8/8/8/4k3/8/8/8/K6Q w - -");
    EXPECT_TRUE(syzygyProbeWdl(&score));
    EXPECT_TRUE(syzygyProbeDtz(&wdl, &dtz));
    for (const char *fen : {"8/8/8/4k3/8/8/8/K6R w - -", "4k3/8/4K3/4P3/8/8/8/8 w - -", "8/8/2k5/8/8/2K5/3P2p1/8 w - -"}) {
        setFen(fen);
        EXPECT_FALSE(syzygyProbeWdl(&score)) << fen;
        EXPECT_FALSE(syzygyProbeDtz(&wdl, &dtz)) << fen;
        syzygyRankRootMoves();
        EXPECT_FALSE(syzygy.rootFilter) << fen;
    }
    loadPath(TEST_TABLES, &outcome);  // lets go of the files, which Windows cannot remove while open
    removeScratchDirectory(scratch);
}

/// The files this process has mapped into memory, as Linux lists them
/// (emulators list their own: the test is left out under them).
std::set<std::string> mappedFiles() {
    std::set<std::string> files;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        size_t slash = line.find('/');
        if (slash != std::string::npos) files.insert(line.substr(slash));
    }
    return files;
}

TEST(SyzygyLoading, EveryWinDrawLossTableIsOpenedWhenLoaded) {
    // Loading opens every table, so that no probe of a search thread ever
    // sets one up. Fathom maps a table into memory when it opens it. No
    // other test probes these 4-man tables.
    const char *directory = "tests/data/syzygy-wdl";
    SyzygyLoad outcome;
    loadPath(directory, &outcome);
    ASSERT_EQ(outcome, SyzygyLoad::Loaded);
    std::set<std::string> mapped = mappedFiles();
    int tables = 0;
    for (const auto &entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().extension() != ".rtbw") continue;
        EXPECT_EQ(mapped.count(std::filesystem::canonical(entry.path()).string()), 1u) << entry.path();
        tables++;
    }
    EXPECT_EQ(tables, 28);
    loadPath("", &outcome);
}

}  // namespace
