// Reading and writing the book file, and the weighted choice among the
// book's continuations of a position.
#include "book/bookfile.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "board/zobrist.h"
#include "engine/files.h"
#include "engine/output.h"
#include "engine/settings.h"

static_assert(std::endian::native == std::endian::little, "the book file is little-endian");

BookFile book;

// Folded into the book key so that positions that differ only in castling
// rights or the en-passant square get different keys.
static constexpr uint32_t castleKey[16] = {
    0x00000000, 0x8F410E6B, 0x441E27B8, 0xBF248AD3, 0x0CC26D11, 0x363A22B1, 0x41EFB447, 0xD548B0BF,
    0x94803D54, 0xAC6795F2, 0x304B3ED6, 0x485BFAF4, 0x4C34738B, 0x5363FE5C, 0x4C345F60, 0xD4055ADB,
};

// Squares a6..h6 and a3..h3, the only ones an en-passant capture lands on.
static constexpr uint32_t epKeyRow6[8] = {0xE83E69FC, 0x4B536C5F, 0x95F7C08C, 0xD7DDC875,
                                          0x7523E905, 0xAB8EA194, 0xA4597A87, 0x54157B1A};
static constexpr uint32_t epKeyRow3[8] = {0xCD0386E9, 0xF4F8B20D, 0x48176041, 0xE40A6F3B,
                                          0x905B438C, 0xA9F0422E, 0x16B6ED6B, 0xCA21FA7C};

static uint32_t epKey(int square) {
    if (square >= 16 && square < 24) return epKeyRow6[square - 16];
    if (square >= 40 && square < 48) return epKeyRow3[square - 40];
    return 0;
}

uint32_t bookKey() { return uint32_t(pos.hashKey >> 32) ^ castleKey[pos.castleRights & 15] ^ epKey(pos.epSquare); }

int bookBucket() { return int(uint32_t(pos.hashKey) & (BOOK_BUCKETS - 1)); }

/// Reads a book file's index; entries a short file does not hold are empty.
static void readBookIndex(FILE *file, uint32_t *index) {
    size_t entries = std::fseek(file, 0, SEEK_SET) == 0 ? std::fread(index, 4, BOOK_BUCKETS, file) : 0;
    for (size_t i = entries; i < size_t(BOOK_BUCKETS); i++) index[i] = EMPTY_BUCKET;
}

void openBook() {
    if (book.file) return;
    const char *reason;
    // The book of the current folder, else the one beside the program:
    // learning then writes to the book that was opened.
    const char *path = locateFile(BOOK_FILE_NAME);
    book.writable = true;
    book.file = openRegularFile(path, true, &reason);
    if (!book.file && reason == CANNOT_BE_OPENED) {
        // A read-only file or directory: play from the book without learning.
        book.writable = false;
        book.file = openRegularFile(path, false, &reason);
    }
    if (!book.file && reason == NOT_A_REGULAR_FILE) notice("Book %s not used: %s", path, reason);
    if (book.file && !loadBookFile(book)) closeBook();
}

bool loadBookFile(BookFile &file) {
    file.index = static_cast<uint32_t *>(std::malloc(BOOK_INDEX_BYTES));
    file.records = static_cast<BookRecord *>(std::malloc(BUCKET_RECORDS * sizeof(BookRecord)));
    if (!file.index || !file.records) return false;
    std::fseek(file.file, 0, SEEK_END);
    file.fileSize = std::ftell(file.file);
    readBookIndex(file.file, file.index);
    return true;
}

void releaseBookFile(BookFile &file) {
    std::free(file.index);
    std::free(file.records);
    if (file.file) std::fclose(file.file);
    file = BookFile{};
}

void closeBook() { releaseBookFile(book); }

uint32_t readBucketFrom(BookFile &file, uint32_t offset) {
    if (offset == EMPTY_BUCKET || long(offset) < BOOK_INDEX_BYTES || long(offset) + 4 > file.fileSize) return 0;
    uint32_t count = 0;
    if (std::fseek(file.file, long(offset), SEEK_SET) != 0 || std::fread(&count, 4, 1, file.file) != 1) return 0;
    if (count > BUCKET_RECORDS) count = BUCKET_RECORDS;
    if (std::fread(file.records, sizeof(BookRecord), count, file.file) != count) return 0;
    return count;
}

uint32_t readBucket(uint32_t offset) { return readBucketFrom(book, offset); }

/// The position of the first record with the current position's key in the
/// bucket just read, or -1.
static int recordInBucket(uint32_t count) {
    uint32_t key = bookKey();
    for (uint32_t i = 0; i < count; i++)
        if (book.records[i].key == key) return int(i);
    return -1;
}

bool findBookRecord(BookRecord *record, long *offset) {
    uint32_t bucket = book.index[bookBucket()];
    int found = recordInBucket(readBucket(bucket));
    if (found < 0) return false;
    *record = book.records[found];
    *offset = long(bucket) + 4 + 16 * long(found);
    return true;
}

void writeBookBytes(const void *data, long offset, size_t size) {
    if (!book.writable) return;
    if (std::fseek(book.file, offset, SEEK_SET) == 0 && std::fwrite(data, size, 1, book.file) == 1) std::fflush(book.file);
}

bool gameFromInitialPosition() {
    // The key and castling rights the game started with: those saved by its
    // first move, or the current ones before any move.
    static const uint64_t initialKey = [] {
        uint64_t key = hashSeed;
        for (int square = 0; square < 64; square++)
            if (setupType[square] != NO_PIECE) key ^= pieceKey(setupColour[square], setupType[square], square);
        return key;
    }();
    if (pos.gamePly == 0)
        return pos.hashKey == initialKey && pos.castleRights == 15 && pos.epSquare == NO_EP_SQUARE;
    const UndoRecord &first = pos.undoStack[0];
    return first.hashKey == initialKey && first.castleRights == 15 && first.epSquare == NO_EP_SQUARE;
}

/// A book continuation of the position being probed.
struct Candidate {
    Move move;
    int32_t weight;
    int16_t score;  // win/loss per thousand games
    BookRecord record;
    long offset;
};

/// Extremes over the candidates that scale their weights.
struct CandidateStats {
    uint32_t maxFrequency = 0;
    int minScore = 1000, maxScore = -1000;
    int maxLearned = 100, maxSearch = -53;
};

/// Collects the continuations with a usable record: played more than four
/// times, or scored by search. Returns the candidate count.
static int collectCandidates(Candidate *candidates, CandidateStats &stats) {
    int count = 0;
    pos.ply = 0;
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        if (!makeMove(entry->move)) continue;
        BookRecord record;
        long offset;
        if (findBookRecord(&record, &offset) && (record.frequency > 4 || record.scoredDepth != 0)) {
            int16_t score = int16_t(int64_t(record.winLoss) * 1000 / std::max<int64_t>(record.frequency, 1));
            Candidate &c = candidates[count++];
            c = Candidate{entry->move, 0, score, record, offset};
            stats.maxFrequency = std::max(stats.maxFrequency, record.frequency);
            stats.minScore = std::min<int>(stats.minScore, c.score);
            stats.maxScore = std::max<int>(stats.maxScore, c.score);
            stats.maxLearned = std::max(stats.maxLearned, std::abs(int(record.learned)));
            if (int8_t(record.scoredDepth) <= 0) c.record.searchScore = -128;
            else stats.maxSearch = std::max<int>(stats.maxSearch, record.searchScore);
        }
        unmakeMove();
    }
    return count;
}

/// The weight of an unblocked candidate: how often it was played, how well
/// it scored in the games and by search, and what learning made of it.
static int32_t candidateWeight(const Candidate &c, const CandidateStats &stats) {
    int range = std::max(stats.maxScore - stats.minScore, 1);
    int frequency = int(std::min<uint32_t>(c.record.frequency, 0x7FFFFFFF));
    int results = int(double(c.score - stats.minScore) * 120 / range);
    if (frequency < 20) results = int(double(results) * frequency / 20);
    int searchGap = std::min(stats.maxSearch - c.record.searchScore, 75);
    int32_t base = int32_t(double(frequency) * 360 / std::max<uint32_t>(stats.maxFrequency, 1) + double(75 - searchGap) * 120 / 75 + results);
    int32_t learned = int32_t(double(c.record.learned) * 400 / stats.maxLearned);
    // Learning may halve a move's chances many times over but never rules
    // out a move that the games recommend.
    if (base > 0 && base + learned <= 0) return base >> 3;
    return std::max(base + learned, 0);
}

/// Weights every candidate. A blocked one gets no weight, and in play one
/// more of its probes has passed.
static void weighCandidates(Candidate *candidates, int count, const CandidateStats &stats, int mode) {
    for (int i = 0; i < count; i++) {
        Candidate &c = candidates[i];
        if (c.record.blockCount == 0) {
            c.weight = candidateWeight(c, stats);
            continue;
        }
        c.weight = 0;
        if (mode == PROBE_PLAY) {
            uint8_t counter = uint8_t(c.record.blockCount - 1);
            writeBookBytes(&counter, c.offset + BLOCK_COUNT_OFFSET, 1);
        }
    }
}

static void sortCandidates(Candidate *candidates, int count) {
    for (int i = 0; i + 1 < count; i++)
        for (int j = i + 1; j < count; j++)
            if (candidates[j].weight > candidates[i].weight) std::swap(candidates[i], candidates[j]);
}

/// Early in a game from the initial position, moves beyond the three best
/// are played only when they are popular, so that the engine does not wander
/// into rare sidelines.
static void limitOpeningVariety(Candidate *candidates, int count) {
    if (!gameFromInitialPosition() || pos.gamePly >= 10 || count <= 3) return;
    for (int i = 3; i < count; i++)
        if (int64_t(candidates[i].record.frequency) < 200 - 20 * pos.gamePly) candidates[i].weight = 0;
}

/// xboard: the candidates as a thinking line before a book move, or as the
/// "bk" table.
static void showCandidates(const Candidate *candidates, int count, int mode) {
    char text[1024] = "";
    size_t length = 0;
    for (int i = 0; i < count && i < 10; i++) {
        const Candidate &c = candidates[i];
        const char *san = moveToSan(c.move);
        if (mode == PROBE_SHOW)
            length += std::snprintf(text + length, sizeof text - length, "%s\t[%d, %u, %d, %d]\n ", san, c.weight,
                                    c.record.frequency, c.record.winLoss, c.record.learned);
        else length += std::snprintf(text + length, sizeof text - length, "%s ", san);
        if (length >= sizeof text) break;
    }
    if (mode == PROBE_SHOW) {
        print(" Move\t[Weight, Frequency, Win/Loss, Learned]\n");
        print(" %s\n\n", text);
    } else {
        print("0 0 0 0 ( %s)\n", text);
    }
    flushOutput();
}

/// A random number 0..32767 from the standard generator, whatever its range.
static int32_t randomBelow32768() { return int32_t(std::rand() / (RAND_MAX / 32768 + 1)); }

/// Draws a candidate with probability in proportion to its weight; 0 when
/// the draw falls past the last one.
static Move drawCandidate(const Candidate *candidates, int count) {
    if (candidates[0].weight <= 0) return 0;
    int64_t total = 0;
    for (int i = 0; i < count; i++) total += candidates[i].weight;
    int64_t r = randomBelow32768() * total / 32767;
    for (int i = 0; i < count; i++) {
        if (candidates[i].weight < 1) continue;
        r -= candidates[i].weight;
        if (r < 0) return candidates[i].move;
    }
    return 0;
}

bool probeBook(Move *move, int mode) {
    if (!book.file) return false;
    static Candidate candidates[MAX_MOVES_PER_PLY];
    CandidateStats stats;
    int count = collectCandidates(candidates, stats);
    if (count == 0) return false;
    weighCandidates(candidates, count, stats, mode);
    sortCandidates(candidates, count);
    limitOpeningVariety(candidates, count);
    if (!uciMode()) showCandidates(candidates, count, mode);
    if (mode != PROBE_PLAY) return true;
    Move chosen = drawCandidate(candidates, count);
    if (chosen) *move = chosen;
    return true;
}
