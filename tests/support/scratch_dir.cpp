// Scratch directories of the tests.
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

void makeScratchDirectory(ScratchDirectory &scratch, const char *name, bool enter) {
    std::error_code error;
    std::random_device random;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path(error) / ("quor-" + std::string(name) + "-" + std::to_string(random()));
    ASSERT_TRUE(!error && std::filesystem::create_directory(folder, error)) << folder << ": " << error.message();
    scratch.path = folder.string();
    if (!enter) return;
    std::filesystem::path previous = std::filesystem::current_path(error);
    ASSERT_FALSE(error) << error.message();
    std::filesystem::current_path(folder, error);
    ASSERT_FALSE(error) << error.message();
    scratch.previous = previous.string();
}

void removeScratchDirectory(ScratchDirectory &scratch) {
    if (!scratch.previous.empty()) {
        std::error_code error;
        std::filesystem::current_path(scratch.previous, error);
        EXPECT_FALSE(error) << error.message();
    }
    if (scratch.path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(scratch.path, ignored);
    EXPECT_FALSE(std::filesystem::exists(scratch.path)) << scratch.path;
    scratch = ScratchDirectory{};
}

void writeScratchFile(const ScratchDirectory &scratch, const std::string &name, const std::string &bytes) {
    std::string path = (std::filesystem::path(scratch.path) / name).string();
    FILE *file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    EXPECT_EQ(std::fclose(file), 0);
}
