// Scratch directories of the tests.
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

void makeScratchDirectory(ScratchDirectory &scratch, const char *name, bool enter) {
    std::string pattern = std::string("/tmp/quor-") + name + "-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << pattern;
    scratch.path = pattern;
    if (!enter) return;
    std::error_code error;
    std::filesystem::path previous = std::filesystem::current_path(error);
    ASSERT_FALSE(error) << error.message();
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    scratch.previous = previous.string();
}

void removeScratchDirectory(ScratchDirectory &scratch) {
    if (!scratch.previous.empty()) {
        EXPECT_EQ(chdir(scratch.previous.c_str()), 0);
    }
    if (scratch.path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(scratch.path, ignored);
    EXPECT_FALSE(std::filesystem::exists(scratch.path)) << scratch.path;
    scratch = ScratchDirectory{};
}

void writeScratchFile(const ScratchDirectory &scratch, const std::string &name, const std::string &bytes) {
    std::string path = scratch.path + "/" + name;
    FILE *file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    EXPECT_EQ(std::fclose(file), 0);
}
