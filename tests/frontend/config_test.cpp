// The settings file quor.cfg, read from a temporary current directory.
#include "frontend/config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/control.h"
#include "search/tt.h"
#include "tests/support/scratch_dir.h"

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        makeScratchDirectory(scratch, "config", true);
        options = EngineOptions{};
        options.optionFlags = OPT_XBOARD | OPT_POST;
        options.ttShift = 16;
        options.egtbCacheMB = 2;
    }

    void TearDown() override { removeScratchDirectory(scratch); }

    /// Writes quor.cfg with the given text and reads it.
    static void readSettings(const char *text) {
        FILE *file = std::fopen("quor.cfg", "w");
        ASSERT_NE(file, nullptr);
        std::fputs(text, file);
        std::fclose(file);
        readConfigFile();
    }

    ScratchDirectory scratch;
};

TEST_F(ConfigFile, TablebaseCacheOutsideOneToSixtyFourGivesTwo) {
    struct Case { const char *text; int megabytes; };
    for (Case c : {Case{"EGTB_CACHE_SIZE 0\n", 2}, Case{"EGTB_CACHE_SIZE 65\n", 2}, Case{"EGTB_CACHE_SIZE 64\n", 64},
                   Case{"EGTB_CACHE_SIZE 1\n", 1}, Case{"EGTB_CACHE_SIZE 300\n", 44}, Case{"EGTB_CACHE_SIZE x\n", 2}}) {
        options.egtbCacheMB = 0;
        readSettings(c.text);
        EXPECT_EQ(options.egtbCacheMB, c.megabytes) << c.text;
    }
}

TEST_F(ConfigFile, OnlyTheValueOneTurnsAFlagOn) {
    readSettings("PONDER 0\nPONDER 2\nLEARN 1\n");
    EXPECT_FALSE(options.optionFlags & OPT_PONDER);
    EXPECT_TRUE(options.optionFlags & OPT_LEARN);
    readSettings("PONDER 1\nRESIGN = 1\n");
    EXPECT_TRUE(options.optionFlags & OPT_PONDER);
    EXPECT_TRUE(options.optionFlags & OPT_RESIGN);
}

TEST_F(ConfigFile, OverlongLinesAndBinaryBytesAreHarmless) {
    std::string text(1000, 'x');
    text += " 1\nTT_SIZE 3071\n";
    text += std::string("\x01\x02\xff = \x7f\n", 7);
    readSettings(text.c_str());
    EXPECT_EQ(ttBucketsForShift(options.ttShift), 32768u);  // 3071 KB hold 32768 buckets of 48 bytes
    EXPECT_EQ(options.optionFlags, OPT_XBOARD | OPT_POST);
}

TEST_F(ConfigFile, ThreadsAreBroughtIntoOneToSixtyFour) {
    struct Case { const char *text; int threads; };
    for (Case c : {Case{"THREADS 2\n", 2}, Case{"THREADS 64\n", 64}, Case{"THREADS 65\n", 64}, Case{"THREADS 0\n", 1},
                   Case{"THREADS -3\n", 1}, Case{"THREADS x\n", 1}}) {
        options.threads = 9;
        readSettings(c.text);
        EXPECT_EQ(options.threads, c.threads) << c.text;
    }
}
