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

class EngineSession : public ::testing::Test {
protected:
    ScratchDirectory scratch;
    std::string dir;

    void SetUp() override {
        makeScratchDirectory(scratch, "egtb-session", false);
        dir = scratch.path;
        // "kqk" with white to move: every byte 30 (a win, score 9806 at the root).
        writeScratchFile(scratch, "kqk.nbw", std::string(28644, char(30)));
    }

    void TearDown() override { removeScratchDirectory(scratch); }

    /// The path the engine gives a file of the directory.
    std::string inDir(const char *name) { return (std::filesystem::path(dir) / name).string(); }

    /// Runs the engine in the directory with `input` on its standard input
    /// and returns everything it printed.
    std::string run(const std::string &input) {
        const char *binary = std::getenv("QUOR_BINARY");
        if (!binary) return "QUOR_BINARY is not set";
        writeScratchFile(scratch, "input.txt", input);
        std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        FILE *pipe = popen((std::string(binary) + " < input.txt").c_str(), "r");
        std::string text = pipe ? "" : "cannot start the engine";
        char buffer[4096];
        for (size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        if (pipe) pclose(pipe);
        std::filesystem::current_path(previous);
        return text;
    }
};

TEST_F(EngineSession, BannerEgtbCommandAndNalimovCacheDebugLines) {
    struct Case {
        const char *config;
        std::string input;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"EGTB_CACHE_SIZE 4\nEGTB_VERIFY 0\n",
         "xboard\nsetboard 8/8/8/8/8/8/Q7/K1k5 w - - 0 1\negtb\nsetboard 8/8/8/8/8/8/R7/K1k5 w - - 0 1\negtb\nquit\n",
         {"    Endgame Tablebase  : 4 MB\n", "EGTB Status: Maximum 3 piece tablebases found\n",
          "Max 3 , Score 9806\n", "Position not in EGTB\n"}},
        // The all-win kqk file fails the check against proven mates in one.
        {"", "xboard\nquit\n",
         {inDir("kqk.nbw") + " does not match this engine's tablebase indexing\n", "EGTB Status: Not found\n"}},
        {nullptr, "xboard\negtb\nquit\n", {"EGTB Status: Not found\n", "EGTB not found\n"}},
        {"EGTB_VERIFY 0\n",
         "uci\ndebug on\nsetoption name NalimovPath value " + dir + "\nsetoption name NalimovCache value 8\n"
         "position fen 8/8/8/8/8/8/Q7/K1k5 w - - 0 1\negtb\nsetoption name NalimovPath value " + dir +
         "/none\nsetoption name NalimovCache value 8\nquit\n",
         {"info string *** " + inDir("krk.nbw") + " corrupted\n", "Maximum 3 piece TB found\n", "Max 3 , Score 9806\n",
          "TB failed to initialize\n"}},
    };
    writeScratchFile(scratch, "krk.nbw", "short");
    for (const Case &c : cases) {
        std::remove((dir + "/quor.cfg").c_str());
        bool uci = c.input.rfind("uci", 0) == 0;
        if (c.config) writeScratchFile(scratch, "quor.cfg", (uci ? "" : "EGTB_PATH " + dir + "\n") + c.config);
        std::string out = run(c.input);
        for (const std::string &line : c.shown) EXPECT_NE(out.find(line), std::string::npos) << line << out;
    }
}

}  // namespace
