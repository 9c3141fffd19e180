// Common set-up of the book tests: each test runs in a fresh directory of
// its own (where "QuorBook.bin" lives), with the engine's output captured.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/bookfile.h"
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

/// A record as it stands in a book file, with its bucket.
struct StoredRecord {
    BookRecord record;
    int bucket;
};

class BookTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Everything printed since the last call.
    std::string printed();
    /// Sets up the start position (a FEN; empty: the initial position) and plays `moves`.
    void goTo(const char *moves);
    /// Writes a book file holding exactly these records.
    void writeBook(const std::vector<BookEntry> &entries, const char *name = BOOK_FILE_NAME);
    /// Every record of the book file, read without the engine's reader.
    std::vector<StoredRecord> readBook();
    /// The record of the position after `moves` in `records`; a failure when missing.
    const BookRecord &recordAfter(const std::vector<StoredRecord> &records, const char *moves);
    /// Whether `records` hold the position after `moves`.
    bool holds(const std::vector<StoredRecord> &records, const char *moves);

    std::string startFen;

private:
    ScratchDirectory scratch;
};

void writeText(const char *name, const std::string &text);
std::string readText(const char *name);
