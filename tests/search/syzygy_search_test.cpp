// The search with Syzygy tables: tablebase wins shown as centipawns and
// never as mates, tbhits, and the probe limit.
#include <string>

#include "board/position.h"
#include "egtb/syzygy.h"
#include "engine/settings.h"
#include "search/state.h"
#include "search/threads.h"
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
        syzygy.probeLimit = 7;
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

TEST_F(SyzygySearch, TablebaseWinIsShownInCentipawnsWithTheHitsOfEveryThread) {
    // Kxd4 (or any king move) wins: the capture reaches a won KPvK at ply 1.
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        resetEngine();
        options.threads = uint8_t(threads);
        options.optionFlags = OPT_UCI | OPT_POST;
        setPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
        startCapture();
        thinkToDepth(5);
        std::string output = stopCapture();
        EXPECT_EQ(mainThread.previousScore, TB_WIN_SCORE - 1);
        EXPECT_EQ(output.find("mate"), std::string::npos) << output;
        std::string line = lastScoreLine(output);
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

TEST_F(SyzygySearch, ProbeLimitKeepsBiggerEndingsOutOfTheSearch) {
    // At limit 3 only the 3-man positions after a capture into KPvK are
    // probed, not the 4-man root nor the nodes after pawn moves; at 0 none.
    const int limits[3] = {3, 7, 0};
    uint64_t hits[3];
    for (int i = 0; i < 3; i++) {
        syzygy.probeLimit = limits[i];
        resetEngine();
        setPosition("8/8/8/4P3/3p4/2K5/8/k7 w - -");
        thinkToDepth(4);
        hits[i] = syzygyHits;
    }
    EXPECT_LT(hits[0], hits[1]);
    EXPECT_GT(hits[0], 0u);
    EXPECT_EQ(hits[2], 0u);
}

}  // namespace
