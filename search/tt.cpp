// Allocation and sizing of the transposition and quiescence tables.
#include "search/tt.h"

#include <cstdlib>
#include <cstring>

TTEntry *ttTable = nullptr;
TTEntry *quiesceTable = nullptr;
static uint64_t ttEntryCount = 0;

uint8_t ttShiftForBytes(uint64_t bytes) {
    uint64_t wanted = bytes / 48;
    int log2Buckets = 9;  // 512 buckets at the least
    if (wanted >= 1024)
        while (log2Buckets < 31 && (uint64_t(1) << (log2Buckets + 1)) <= wanted) log2Buckets++;
    return uint8_t(32 - log2Buckets);
}

bool ttAllocate(uint8_t shift) {
    uint64_t entries = ttBucketsForShift(shift) * TT_BUCKET_ENTRIES;
    auto *table = static_cast<TTEntry *>(std::calloc(entries, sizeof(TTEntry)));
    if (!table) return false;
    auto *quiesce = static_cast<TTEntry *>(std::calloc(QUIESCE_BUCKETS * QUIESCE_BUCKET_ENTRIES, sizeof(TTEntry)));
    ttRelease();
    ttTable = table;
    ttEntryCount = entries;
    quiesceTable = quiesce;  // the search runs without it if this failed
    return true;
}

void ttRelease() {
    std::free(ttTable);
    std::free(quiesceTable);
    ttTable = nullptr;
    quiesceTable = nullptr;
    ttEntryCount = 0;
}

void ttClear() {
    if (ttTable) std::memset(ttTable, 0, ttEntryCount * sizeof(TTEntry));
    if (quiesceTable) std::memset(quiesceTable, 0, QUIESCE_BUCKETS * QUIESCE_BUCKET_ENTRIES * sizeof(TTEntry));
}
