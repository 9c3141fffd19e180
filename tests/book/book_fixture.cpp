#include "tests/book/book_fixture.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <iterator>

#include "board/position.h"
#include "engine/output.h"
#include "engine/settings.h"
#include "eval/pawns.h"
#include "search/tt.h"
#include "tests/support/board_helpers.h"

void BookTest::SetUp() {
    makeScratchDirectory(scratch, "book-test", true);
    ASSERT_TRUE(ttAllocate(16));
    ASSERT_TRUE(pawnHashAllocate());
    options = EngineOptions{};
    options.optionFlags = OPT_XBOARD;
    options.ttShift = 16;
    options.multiPv = 1;
    timeControl = TimeControl{};
    closeBook();
    resetSetupArrays();
    setupPosition();
    std::srand(1);
    startCapture();
}

void BookTest::TearDown() {
    closeBook();
    stopCapture();
    removeScratchDirectory(scratch);
    resetSetupArrays();
    setupPosition();
}

void BookTest::goTo(const char *moves) {
    if (startFen.empty()) setupPosition();
    else setFen(startFen.c_str());
    playMoves(moves);
}

void BookTest::writeBook(const std::vector<BookEntry> &entries, const char *name) {
    std::map<int, std::vector<BookRecord>> buckets;
    for (const BookEntry &e : entries) {
        goTo(e.moves);
        buckets[bookBucket()].push_back(
            BookRecord{bookKey(), e.frequency, e.winLoss, e.scoredDepth, e.searchScore, e.learned, e.blockCount, 0});
    }
    goTo("");
    std::vector<uint32_t> index(BOOK_BUCKETS, EMPTY_BUCKET);
    std::string data;
    for (auto &[bucket, records] : buckets) {
        index[bucket] = uint32_t(BOOK_INDEX_BYTES + data.size());
        uint32_t count = uint32_t(records.size());
        data.append(reinterpret_cast<const char *>(&count), 4);
        data.append(reinterpret_cast<const char *>(records.data()), records.size() * sizeof(BookRecord));
    }
    write(name, std::string(reinterpret_cast<const char *>(index.data()), index.size() * 4) + data);
}

std::vector<BookRecord> BookTest::readBook() {
    std::string file = readText(BOOK_FILE_NAME);
    std::vector<BookRecord> records;
    for (int bucket = 0; file.size() >= size_t(BOOK_INDEX_BYTES) && bucket < BOOK_BUCKETS; bucket++) {
        uint32_t at, count;
        std::memcpy(&at, file.data() + 4 * bucket, 4);
        if (at == EMPTY_BUCKET) continue;
        std::memcpy(&count, file.data() + at, 4);
        records.resize(records.size() + count);
        std::memcpy(&records[records.size() - count], file.data() + at + 4, 16 * count);
    }
    return records;
}

std::optional<BookRecord> BookTest::find(const char *moves) {
    std::vector<BookRecord> records = readBook();
    goTo(moves);
    for (const BookRecord &record : records)
        if (record.key == bookKey()) return record;
    return std::nullopt;
}

BookRecord BookTest::recordAfter(const char *moves) {
    std::optional<BookRecord> found = find(moves);
    EXPECT_TRUE(found) << moves;
    return found.value_or(BookRecord{});
}

std::string readText(const char *name) {
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}
