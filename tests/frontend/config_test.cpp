// The settings file quor.cfg, read from a temporary current directory.
#include "frontend/config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "frontend/control.h"
#include "search/tt.h"
#include "tests/support/scratch_dir.h"

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override { makeScratchDirectory(scratch, "config", true); }
    void TearDown() override { removeScratchDirectory(scratch); }
    ScratchDirectory scratch;
};

static long long cacheMegabytes() { return options.egtbCacheMB; }
static long long threads() { return options.threads; }
static long long tableBuckets() { return (long long)ttBucketsForShift(options.ttShift); }
static long long flags() { return options.optionFlags; }

TEST_F(ConfigFile, EachKeySetsItsSettingWithinItsRange) {
    struct Case { std::string text; long long (*value)(); long long expected; };
    // Start: threads 9, cache 0, flags xboard and post. A cache size is kept
    // in 8 bits (300 is 44) and refused beyond 64; a check is turned on by
    // the value 1 only; a line too long or of binary bytes is harmless.
    const long long start = OPT_XBOARD | OPT_POST;
    const Case cases[] = {{"EGTB_CACHE_SIZE 65\n", cacheMegabytes, 2}, {"EGTB_CACHE_SIZE 300\n", cacheMegabytes, 44},
                          {"THREADS 65\n", threads, 64}, {"THREADS -3\n", threads, 1},
                          {"PONDER 0\nPONDER 2\nLEARN 1\n", flags, start | OPT_LEARN},
                          // 3071 KB hold 32768 buckets of 48 bytes.
                          {std::string(1000, 'x') + " 1\nTT_SIZE 3071\n", tableBuckets, 32768},
                          {"\x01\x02\xff = \x7f\nPONDER\n", flags, start}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        options = EngineOptions{};
        options.optionFlags = OPT_XBOARD | OPT_POST;
        options.threads = 9;
        FILE *file = std::fopen("quor.cfg", "w");
        ASSERT_NE(file, nullptr);
        std::fputs(c.text.c_str(), file);
        std::fclose(file);
        readConfigFile();
        EXPECT_EQ(c.value(), c.expected);
    }
}
