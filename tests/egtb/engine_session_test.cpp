// The tablebases seen through the engine program: the banner, the "egtb"
// console command and the UCI NalimovCache option, with table files the
// test writes into a temporary directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"

namespace {

TEST(EngineSession, BannerEgtbCommandAndNalimovCacheDebugLines) {
    const char *binary = std::getenv("QUOR_BINARY");
    ASSERT_NE(binary, nullptr) << "QUOR_BINARY is not set";
    ScratchDirectory scratch;
    ASSERT_NO_FATAL_FAILURE(makeScratchDirectory(scratch, "egtb-session", true));
    const std::string dir = scratch.path, kqk = (std::filesystem::path(dir) / "kqk.nbw").string(),
                      krk = (std::filesystem::path(dir) / "krk.nbw").string();
    // "kqk" with white to move: every byte 30 (a win, score 9806 at the root).
    writeScratchFile(scratch, "kqk.nbw", std::string(28644, char(30)));
    writeScratchFile(scratch, "krk.nbw", "short");
    struct Case { const char *config; std::string input; std::vector<std::string> shown; };
    const Case cases[] = {
        {"EGTB_CACHE_SIZE 4\nEGTB_VERIFY 0\n",
         "xboard\nsetboard 8/8/8/8/8/8/Q7/K1k5 w - - 0 1\negtb\nsetboard 8/8/8/8/8/8/R7/K1k5 w - - 0 1\negtb\nquit\n",
         {"    Endgame Tablebase  : 4 MB\n", "EGTB Status: Maximum 3 piece tablebases found\n",
          "Max 3 , Score 9806\n", "Position not in EGTB\n"}},
        // The all-win kqk file fails the check against proven mates in one.
        {"", "xboard\nquit\n", {kqk + " does not match this engine's tablebase indexing\n", "EGTB Status: Not found\n"}},
        {nullptr, "xboard\negtb\nquit\n", {"EGTB Status: Not found\n", "EGTB not found\n"}},
        {"EGTB_VERIFY 0\n",
         "uci\ndebug on\nsetoption name NalimovPath value " + dir + "\nsetoption name NalimovCache value 8\n"
         "position fen 8/8/8/8/8/8/Q7/K1k5 w - - 0 1\negtb\nsetoption name NalimovPath value " + dir +
         "/none\nsetoption name NalimovCache value 8\nquit\n",
         {"info string *** " + krk + " corrupted\n", "Maximum 3 piece TB found\n", "Max 3 , Score 9806\n",
          "TB failed to initialize\n"}},
    };
    for (const Case &c : cases) {
        std::remove("quor.cfg");
        bool uci = c.input.rfind("uci", 0) == 0;
        if (c.config) writeScratchFile(scratch, "quor.cfg", (uci ? "" : "EGTB_PATH " + dir + "\n") + c.config);
        writeScratchFile(scratch, "input.txt", c.input);
        std::string out;
        FILE *pipe = popen((std::string(binary) + " < input.txt").c_str(), "r");
        char buffer[4096];
        for (size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        if (pipe) pclose(pipe);
        for (const std::string &line : c.shown) EXPECT_NE(out.find(line), std::string::npos) << line << out;
    }
    removeScratchDirectory(scratch);
}

}  // namespace
