#include "tests/book/book_fixture.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

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

std::vector<StoredRecord> BookTest::readBook() {
    std::string file = readText(BOOK_FILE_NAME);
    std::vector<StoredRecord> records;
    if (file.size() < size_t(BOOK_INDEX_BYTES)) return records;
    const uint32_t *index = reinterpret_cast<const uint32_t *>(file.data());
    for (int bucket = 0; bucket < BOOK_BUCKETS; bucket++) {
        if (index[bucket] == EMPTY_BUCKET) continue;
        uint32_t count;
        std::memcpy(&count, file.data() + index[bucket], 4);
        for (uint32_t i = 0; i < count; i++) {
            records.push_back({{}, bucket});
            std::memcpy(&records.back().record, file.data() + index[bucket] + 4 + 16 * i, 16);
        }
    }
    return records;
}

const BookRecord *BookTest::find(const std::vector<StoredRecord> &records, const char *moves) {
    goTo(moves);
    for (const StoredRecord &stored : records)
        if (stored.record.key == bookKey() && stored.bucket == bookBucket()) return &stored.record;
    return nullptr;
}

const BookRecord &BookTest::recordAfter(const std::vector<StoredRecord> &records, const char *moves) {
    static const BookRecord missing{};
    const BookRecord *found = find(records, moves);
    EXPECT_NE(found, nullptr) << moves;
    return found ? *found : missing;
}

std::string readText(const char *name) {
    std::ifstream file(name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
