// Common set-up of the book tests: each test runs in a fresh directory of
// its own (where the book file "QuorBook.bin" lives), with the engine's
// output captured, and with helpers to write and read book files.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/bookfile.h"

/// One record of a hand-made book: the position after `moves` (coordinate
/// moves, blank-separated) from the fixture's start position.
struct BookEntry {
    const char *moves;
    uint32_t frequency;
    int16_t winLoss = 0;
    uint8_t scoredDepth = 0;
    int8_t searchScore = 0;
    int16_t learned = 0;
    uint8_t blockCount = 0;
};

/// A record as it stands in a book file, with its bucket and file offset.
struct StoredRecord {
    BookRecord record;
    int bucket;
    long offset;
};

class BookTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Everything printed since the last call.
    std::string printed();

    /// The position the hand-made books and record look-ups start from:
    /// the initial position, or a FEN.
    void startFrom(const char *fen = nullptr);

    /// Writes a book file holding exactly these records.
    void writeBook(const std::vector<BookEntry> &entries, const char *name = BOOK_FILE_NAME);

    /// Every record of a book file, in file order.
    std::vector<StoredRecord> readBook(const char *name = BOOK_FILE_NAME);

    /// The stored record of the position after `moves`, or nullptr.
    const StoredRecord *recordAfter(const std::vector<StoredRecord> &records, const char *moves);

    /// Sets up the start position and plays `moves` from it.
    void goTo(const char *moves);

    std::string startFen;  // empty: the initial position

private:
    std::string directory;
    std::string previousDirectory;
    FILE *capture = nullptr;
    char *captureBuffer = nullptr;
    size_t captureSize = 0;
    size_t captureRead = 0;
};

/// Writes a text file.
void writeText(const char *name, const std::string &text);

/// Reads a whole file; empty when it cannot be read.
std::string readText(const char *name);
