// Learning from game results, scoring the book by search, and merging books.
#include "book/learn.h"

#include <algorithm>
#include <cstdlib>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "book/bookfile.h"
#include "engine/output.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "eval/pst.h"
#include "search/state.h"
#include "search/think.h"

// ---------------------------------------------------------------------------
// Learning

/// Only games with time to think teach the book something: at least ten
/// seconds a move, or ten minutes for the game.
static bool slowGame() {
    const TimeControl &tc = timeControl;
    if (tc.baseTime == 0) return false;
    if (tc.movesPerControl != 0) return tc.baseTime / tc.movesPerControl + tc.increment >= 1000;
    return tc.baseTime >= 60000;
}

/// How strongly the game's outcome speaks for (positive) or against
/// (negative) the engine's book line, from the result for the engine and
/// the scores of its first searched moves. `exitPly` is the ply of the
/// last book move, `plies` the length of the game.
static int learningAmount(int exitPly, int plies, const int16_t earlyScores[5], int result) {
    int threshold = (exitPly & 1 ? -60 : -10) + (result == 0 ? 40 : 0);
    int after = plies - exitPly;
    int e = earlyScores[std::min((after - 3) / 2, 4)], e0 = earlyScores[0];
    int amount = after < 41 ? 2 * result : result;
    if (result >= 0 && e > threshold + 50) {
        if (e0 > threshold + 50) amount++;
        if (e > e0 + 50) amount++;
    }
    if (result < 0 && e < threshold) {
        if (e0 < threshold) amount--;
        if (e < e0 - 50) amount--;
    }
    return amount;
}

/// Applies one learning step to the record of an engine book move played
/// at game ply `k`.
static void learnMove(BookRecord &record, int k, int exitPly, int amount, int result) {
    if (record.learned < 0 && result == 0) record.learned++;
    int delta = 0;
    if (amount > 0) {
        delta = std::max(amount - (exitPly - k) / 2, 1);
    } else if (amount < 0) {
        // Moves late in the line, nearest to where the game went wrong, are
        // also kept out of play for a few probes.
        int limit = exitPly - 2 * (exitPly / 4);
        if (k + 1 > limit) record.blockCount = uint8_t(std::min(record.blockCount + (k + 1 > 3 * limit / 2 ? 2 : 1), 255));
        delta = std::min((exitPly - k) / 2 + amount, -1);
    }
    int learned = std::clamp(record.learned + delta, -32768, 32767);
    if (learned == 0) learned = delta < 1 ? -1 : 1;
    record.learned = int16_t(learned);
}

/// Plays a recorded move again; false when it is refused.
static bool replay(Move move) {
    if (!makeMove(move)) return false;
    pos.ply = 0;
    return true;
}

void learnFromGame(int bookExitPly, const int16_t earlyScores[5], int result) {
    int plies = pos.gamePly;
    if (!bookIsOpen() || bookExitPly < 4 || plies - bookExitPly < 5 || !gameFromInitialPosition() || !slowGame())
        return;
    int forEngine = bookExitPly & 1 ? -result : result;
    if (forEngine > 0 && !(options.optionFlags & OPT_COMPUTER)) return;  // a win against a human proves little
    int amount = learningAmount(bookExitPly, plies, earlyScores, forEngine);

    static Move moves[MAX_GAME_PLY];
    for (int i = 0; i < plies; i++) moves[i] = pos.undoStack[i].move;
    setupPosition();
    bool replaying = true;
    int k = bookExitPly & 1;
    if (k == 1) replaying = replay(moves[0]);
    for (; replaying && k <= bookExitPly; k += 2) {
        BookRecord record;
        long offset;
        if (!replay(moves[k]) || !findBookRecord(&record, &offset)) break;
        learnMove(record, k, bookExitPly, amount, forEngine);
        writeBookBytes(&record, offset, sizeof record);
        replaying = replay(moves[k + 1]);
    }
    // Back to the end of the game.
    for (int i = pos.gamePly; i < plies && replay(moves[i]); i++) {}
    genPositionMoves();
}

// ---------------------------------------------------------------------------
// Scoring

/// One walk of the book tree from the current position.
struct ScoringRun {
    uint8_t depth;
    uint8_t *visited;  // one bit per 16 bytes of the file's data area
    Position *saved;   // the walk's position while a search runs
    int counter;
    int records;
};

/// Searches the current position from scratch and returns true when the
/// search ran to the end; the walk's position is restored afterwards.
static bool searchBookPosition(ScoringRun &run) {
    *run.saved = pos;
    char fen[128];
    writeFen(fen);
    readFen(fen);  // a fresh game from the same position: the search sees no history
    initPieceSquareTables();
    print("\rScoring %d out of %d", run.counter, run.records);
    flushOutput();
    think();
    pos = *run.saved;
    return searchSignal == SIG_NONE;
}

/// Scores every unvisited book position one move from here, then walks on
/// from each.
static void scoreBookNode(ScoringRun &run) {
    if (pos.ply >= MAX_PLY - 2) return;
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd() && searchSignal == SIG_NONE; entry++) {
        if (!makeMove(entry->move)) continue;
        BookRecord record;
        long offset;
        if (findBookRecord(&record, &offset)) {
            long unit = (offset - BOOK_INDEX_BYTES) / 16;
            uint8_t bit = uint8_t(1 << (unit & 7));
            if (!(run.visited[unit >> 3] & bit)) {
                run.visited[unit >> 3] |= bit;
                if (int8_t(record.scoredDepth) < int8_t(run.depth) && searchBookPosition(run)) {
                    // Stored for the side that chose the move into the
                    // position; the search scored it for the side to move.
                    int score = std::clamp(-int(mainThread.previousScore), -128, 127);
                    record.scoredDepth = run.depth;
                    record.searchScore = int8_t(score);
                    writeBookBytes(&record, offset, sizeof record);
                }
                run.counter++;
                scoreBookNode(run);
            }
        }
        unmakeMove();
    }
}

/// Records in the book: the data area less the count word of every bucket.
static int bookRecordCount() {
    long bytes = book.fileSize - BOOK_INDEX_BYTES;
    for (int i = 0; i < BOOK_BUCKETS; i++)
        if (book.index[i] != EMPTY_BUCKET) bytes -= 4;
    return int(std::max(bytes / 16, 0L));
}

bool scoreBook(uint8_t depth) {
    if (!bookIsOpen()) return false;
    long units = (book.fileSize - BOOK_INDEX_BYTES) / 16;
    if (units <= 0) return false;
    ScoringRun run{depth, static_cast<uint8_t *>(std::calloc(size_t(units) / 8 + 2, 1)),
                   static_cast<Position *>(std::malloc(sizeof(Position))), 1, bookRecordCount()};
    bool ready = run.visited && run.saved;
    if (ready) {
        uint16_t flags = options.optionFlags;
        options.optionFlags &= uint16_t(~OPT_POST);
        TimeControl &tc = timeControl;
        tc.maxDepth = std::min<uint8_t>(depth, 56);
        tc.increment = 0;
        tc.baseTime = 0;
        tc.movesPerControl = 0;
        tc.moveTime = 0;
        tc.clock[WHITE] = tc.clock[BLACK] = 0;
        pos.ply = 0;
        searchSignal = SIG_NONE;
        scoreBookNode(run);
        options.optionFlags = flags;
    }
    std::free(run.visited);
    std::free(run.saved);
    return ready;
}

// ---------------------------------------------------------------------------
// Merging

/// Takes over what the source record knows better; true when it changed
/// the book's record.
static bool mergeRecord(BookRecord &into, const BookRecord &from, bool overwrite) {
    bool changed = false;
    if (int8_t(from.scoredDepth) > 0 && (overwrite || int8_t(into.scoredDepth) < int8_t(from.scoredDepth))) {
        changed |= into.scoredDepth != from.scoredDepth || into.searchScore != from.searchScore;
        into.scoredDepth = from.scoredDepth;
        into.searchScore = from.searchScore;
    }
    if (from.learned != 0 && (overwrite || into.learned == 0)) {
        changed |= into.learned != from.learned;
        into.learned = from.learned;
    }
    return changed;
}

/// Merges one bucket of the source into the same bucket of the book.
static void mergeBucket(int bucket, BookFile &source, bool overwrite) {
    uint32_t sourceCount = readBucketFrom(source, source.index[bucket]);
    const BookRecord *sourceRecords = source.records;
    uint32_t count = readBucket(book.index[bucket]);
    bool changed = false;
    for (uint32_t i = 0; i < count; i++) {
        for (uint32_t j = 0; j < sourceCount; j++) {
            if (sourceRecords[j].key != book.records[i].key) continue;
            changed |= mergeRecord(book.records[i], sourceRecords[j], overwrite);
            break;
        }
    }
    if (changed) writeBookBytes(book.records, long(book.index[bucket]) + 4, count * sizeof(BookRecord));
}

void mergeBook(const char *path, bool overwrite) {
    if (!bookIsOpen()) return;
    BookFile source{};
    source.file = std::fopen(path, "rb");
    if (!source.file) {
        print("Cannot open source file '%s'\n", path);
        flushOutput();
        return;
    }
    if (!loadBookFile(source)) {
        print("Not enough memory!\n");
    } else {
        for (int bucket = 0; bucket < BOOK_BUCKETS; bucket++)
            if (source.index[bucket] != EMPTY_BUCKET && book.index[bucket] != EMPTY_BUCKET)
                mergeBucket(bucket, source, overwrite);
    }
    releaseBookFile(source);
    flushOutput();
}
