// The opening book file "QuorBook.bin": its layout, the position keys, and
// choosing a book move for the current position.
//
// Layout (little-endian): an index of 32768 bucket offsets (0xFFFFFFFF for
// an empty bucket), then the buckets, each a 32-bit record count followed by
// that many 16-byte records. A position's bucket is the low 15 bits of its
// hashKey; its record is found by bookKey.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "board/types.h"

/// One book position: what the games, the scorer and learning know of it.
struct BookRecord {
    uint32_t key;        // bookKey of the position
    uint32_t frequency;  // games that reached the position
    int16_t winLoss;     // sum of +1/0/-1 results for the side that moved into it
    uint8_t scoredDepth; // depth of the search behind searchScore; 0 = not scored
    int8_t searchScore;  // search score for the side that moved into the position
    int16_t learned;     // learned value; 0 = nothing learned
    uint8_t blockCount;  // probes for which the position is still refused
    uint8_t unused;
};
static_assert(sizeof(BookRecord) == 16);

constexpr const char *BOOK_FILE_NAME = "QuorBook.bin";
constexpr int BOOK_BUCKETS = 32768;
constexpr long BOOK_INDEX_BYTES = BOOK_BUCKETS * 4;
constexpr uint32_t EMPTY_BUCKET = 0xFFFFFFFF;
/// Records of one bucket that are read; a longer bucket is cut here.
constexpr uint32_t BUCKET_RECORDS = 4096;
/// Byte offsets inside a record that learning and probing write alone.
constexpr long BLOCK_COUNT_OFFSET = offsetof(BookRecord, blockCount);

/// Probe modes.
constexpr int PROBE_PLAY = 0;
constexpr int PROBE_SHOW = 1;

/// The open book: the file, its index and the buffer one bucket is read into.
struct BookFile {
    FILE *file;
    bool writable;  // opened for update; false for a read-only file
    long fileSize;
    uint32_t *index;
    BookRecord *records;
};
extern BookFile book;

/// The book's key of the current position: the high half of hashKey with
/// the castling rights and the en-passant square folded in.
uint32_t bookKey();

/// The bucket of the current position.
int bookBucket();

/// Opens "QuorBook.bin" of the current directory unless a book is open; a
/// missing or unreadable file leaves the book closed without a message,
/// something of that name that is no regular file with one.
void openBook();

/// Closes the book and releases its buffers.
void closeBook();

inline bool bookIsOpen() { return book.file != nullptr; }

/// Allocates the index and bucket buffers of a book file whose `file` is
/// open, and reads its size and index; false when memory is short (what was
/// allocated is left for releaseBookFile).
bool loadBookFile(BookFile &file);

/// Releases a book file's buffers, closes it and empties the record.
void releaseBookFile(BookFile &file);

/// Reads the bucket at `offset` of a loaded book file into its records
/// buffer; returns the record count, 0 for an empty, out-of-range or
/// damaged bucket.
uint32_t readBucketFrom(BookFile &file, uint32_t offset);

/// readBucketFrom the open book.
uint32_t readBucket(uint32_t offset);

/// Looks the current position up: copies its record and sets its file
/// offset; false when the book has no record for it.
bool findBookRecord(BookRecord *record, long *offset);

/// Writes `size` bytes of a record back at a file offset and flushes them;
/// nothing is written to a read-only book.
void writeBookBytes(const void *data, long offset, size_t size);

/// True when the game started from the standard initial position.
bool gameFromInitialPosition();

/// Chooses a book move for the current position (PROBE_PLAY) or lists the
/// candidates ("bk", PROBE_SHOW). Writes the chosen move through `move`,
/// leaving it unchanged when there is none. In xboard mode the candidates
/// are shown. Returns false when the book has no candidate.
bool probeBook(Move *move, int mode);
