// The search with Syzygy tables: tablebase wins shown as centipawns and
// never as mates, tbhits, and the root kept to the moves that hold the
// tablebase result.
#include <string>

#include "board/position.h"
#include "egtb/syzygy.h"
#include "engine/settings.h"
#include "search/state.h"
#include "tests/search/search_fixture.h"

namespace {

class SyzygySearch : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        useTables("tests/data/syzygy");
        ASSERT_EQ(syzygy.largest, 4);
    }
    void TearDown() override {
        useTables("");
        SearchTest::TearDown();
    }
    static void useTables(const char *path) {
        std::snprintf(syzygy.path, sizeof syzygy.path, "%s", path);
        syzygyLoad();
    }
};

/// The last "info score" line of UCI output.
std::string lastScoreLine(const std::string &output) {
    size_t start = output.rfind("info score");
    return start == std::string::npos ? "" : output.substr(start, output.find('\n', start) - start);
}

TEST_F(SyzygySearch, TablebaseWinIsShownInCentipawnsWithHits) {
    // Kxd4 (or any king move) wins: the capture reaches a won KPvK at ply 1.
    options.optionFlags = OPT_UCI | OPT_POST;
    setPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
    startCapture();
    thinkToDepth(5);
    std::string output = stopCapture();
    EXPECT_EQ(previousScore, TB_WIN_SCORE - 1);
    EXPECT_EQ(output.find("mate"), std::string::npos) << output;
    std::string line = lastScoreLine(output);
    EXPECT_EQ(line.rfind("info score cp " + std::to_string(TB_WIN_SCORE - 1) + " depth 5 ", 0), 0u) << line;
    // The hits printed are those counted so far: more than the root ranking.
    size_t at = line.find(" tbhits ");
    ASSERT_NE(at, std::string::npos) << line;
    unsigned long printed = std::stoul(line.substr(at + 8));
    EXPECT_GT(printed, 1u);
    EXPECT_LE(printed, syzygyHits);
}

TEST_F(SyzygySearch, XboardLineShowsTheScoreItself) {
    options.optionFlags = OPT_XBOARD | OPT_POST;
    setPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
    startCapture();
    thinkToDepth(4);
    std::string output = stopCapture();
    EXPECT_NE(output.find(" 4  " + std::to_string(TB_WIN_SCORE - 1) + " "), std::string::npos) << output;
}

TEST_F(SyzygySearch, NoTbhitsWithoutTables) {
    useTables("");
    options.optionFlags = OPT_UCI | OPT_POST;
    setPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
    startCapture();
    thinkToDepth(4);
    std::string output = stopCapture();
    EXPECT_EQ(output.find("tbhits"), std::string::npos) << output;
    EXPECT_LT(previousScore, TB_WIN_SCORE - MAX_PLY);
}

TEST_F(SyzygySearch, DrawnRootPlaysTheOnlyHoldingMove) {
    // Every other king move loses the K+P ending (fathom: only Ke5 / Ke6 draw).
    struct Case {
        const char *fen, *move;
    };
    for (const Case &c : {Case{"8/8/4k3/8/8/4K3/4P3/8 b - -", "e6e5"}, Case{"8/4k3/8/8/4K3/4P3/8/8 b - -", "e7e6"}}) {
        resetEngine();
        setPosition(c.fen);
        thinkToDepth(6);
        EXPECT_EQ(text(pvTable[0][0]), c.move) << c.fen;
        EXPECT_EQ(previousScore, 0) << c.fen;
    }
}

TEST_F(SyzygySearch, LateInTheFiftyMovesOnlyATimelyMateIsPlayed) {
    // With 82 plies gone only six moves still mate in time (fathom).
    setPosition("8/8/8/4k3/8/8/8/K6Q w - -");
    pos.fiftyCount = 82;
    thinkToDepth(5);
    std::string move = text(pvTable[0][0]);
    EXPECT_TRUE(move == "a1b2" || move == "h1f1" || move == "h1f3" || move == "h1h5" || move == "h1c6" ||
                move == "h1h6")
        << move;
}

TEST_F(SyzygySearch, ProbeLimitKeepsBiggerEndingsOutOfTheSearch) {
    syzygy.probeLimit = 3;
    options.optionFlags = OPT_UCI | OPT_POST;
    setPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
    thinkToDepth(4);
    // Only 3-man positions (after a capture into KPvK) count; neither the
    // 4-man root nor the 4-man nodes after pawn moves are probed.
    uint64_t limitedHits = syzygyHits;
    syzygy.probeLimit = 7;
    resetEngine();
    setPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
    thinkToDepth(4);
    EXPECT_LT(limitedHits, syzygyHits);
    syzygy.probeLimit = 0;
    resetEngine();
    setPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
    thinkToDepth(4);
    EXPECT_EQ(syzygyHits, 0u);
}

}  // namespace
