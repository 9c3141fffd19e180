// Common set-up of the book tests: each test runs in a fresh directory of
// its own (where "QuorBook.bin" lives), with the engine's output captured
// (readCapture).
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "book/bookfile.h"
#include "tests/support/capture.h"
#include "tests/support/scratch_dir.h"

/// One record of a hand-made book: the position after `moves` (coordinate
/// moves from the fixture's start position).
struct BookEntry {
    const char *moves;
    uint32_t frequency;
    int16_t winLoss = 0;
    uint8_t scoredDepth = 0;
    int8_t searchScore = 0;
    int16_t learned = 0;
    uint8_t blockCount = 0;
};

class BookTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Sets up the start position (a FEN; empty: the initial position) and plays `moves`.
    void goTo(const char *moves);
    /// Writes a file of the test's directory.
    void write(const char *name, const std::string &text) { writeScratchFile(scratch, name, text); }
    /// Writes a book file holding exactly these records.
    void writeBook(const std::vector<BookEntry> &entries, const char *name = BOOK_FILE_NAME);
    /// Every record of the book file, read without the engine's reader.
    std::vector<BookRecord> readBook();
    /// The book file's record of the position after `moves`, if any.
    std::optional<BookRecord> find(const char *moves);
    /// The same, a failure when missing.
    BookRecord recordAfter(const char *moves);

    std::string startFen;

private:
    ScratchDirectory scratch;
};

std::string readText(const char *name);
