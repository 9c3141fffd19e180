// The settings both protocols and the settings file change.
#include "frontend/options.h"

#include <algorithm>
#include <cstdio>

#include "book/bookfile.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/files.h"
#include "engine/output.h"
#include "eval/pawns.h"
#include "frontend/control.h"
#include "frontend/polyglotplay.h"
#include "search/tt.h"

// A table size asked for during a search, in bytes and as the user gave it,
// and a clearing asked for during a search.
static bool waitingResize, waitingClear;
static uint64_t waitingBytes, waitingMegabytes;

void setOwnBook(bool on) {
    if (on) {
        game.bookAllowance = 3;
        openBook();
    } else {
        closeBook();
    }
    switchPolyglotBook(on);
}

void setOptionFlag(uint16_t flag, bool on) {
    if (on) options.optionFlags |= flag;
    else options.optionFlags &= uint16_t(~flag);
}

void setMultiPv(long lines) {
    uint8_t kept = uint8_t(lines);
    options.multiPv = kept >= 1 && kept <= 5 ? kept : 1;
}

void setSyzygyProbeLimit(long men) { syzygy.probeLimit = int(std::clamp<long>(men, 0, 7)); }

void setNalimovCache(long megabytes) {
    int8_t kept = int8_t(megabytes);
    options.egtbCacheMB = kept >= 1 && kept <= 64 ? kept : 2;
    if (!options.egtbPath[0]) return;
    int8_t found = tbRediscover();
    if (searching) return;  // discovery runs when the search has ended
    if (found < 1) debugPrint("TB failed to initialize\n");
    else debugPrint("Maximum %d piece TB found\n", found);
}

void setNalimovPath(const char *path) {
    std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", path);
    char folder[sizeof options.egtbPath];
    if (const char *problem = listedFolderProblem(options.egtbPath, ",;", folder, sizeof folder))
        notice("Nalimov path %s %s", folder, problem);
}

void setMoveOverhead(long milliseconds) {
    options.moveOverheadMs = uint16_t(std::clamp<long>(milliseconds, 0, MAX_MOVE_OVERHEAD_MS));
}

/// Replaces the transposition table by one of at most `bytes`; on failure
/// the old table stays.
static void resizeTable(uint64_t bytes, uint64_t megabytes) {
    uint8_t shift = ttShiftForBytes(bytes);
    if (ttAllocate(shift)) {
        options.ttShift = shift;
        return;
    }
    unsigned long long keptKilobytes = ttBucketsForShift(options.ttShift) * 48 / 1024;
    notice("Hash of %llu MB could not be allocated: the table of %llu KB stays in use", (unsigned long long)megabytes,
           keptKilobytes);
}

/// Resizes now, or once the running search has ended.
static void requestTableBytes(uint64_t bytes, uint64_t megabytes) {
    if (searching) {
        waitingResize = true;
        waitingBytes = bytes;
        waitingMegabytes = megabytes;
        return;
    }
    resizeTable(bytes, megabytes);
}

void setHashMegabytes(uint64_t megabytes) {
    megabytes = std::min(megabytes, MAX_HASH_MB);
    requestTableBytes(megabytes << 20, megabytes);
}

void setHashMemory(uint64_t megabytes) {
    megabytes = std::min(megabytes, MAX_HASH_MB);
    uint64_t others = uint64_t(QUIESCE_BUCKETS) * QUIESCE_BUCKET_ENTRIES * sizeof(TTSlot) +
                      uint64_t(options.threads) * PAWN_HASH_ENTRIES * sizeof(PawnHashEntry);
    uint64_t total = megabytes << 20;
    requestTableBytes(total > others ? total - others : 0, megabytes);
}

void clearHashTables() {
    if (searching) {
        waitingClear = true;
        return;
    }
    ttClear();
    pawnHashClear();
}

void applyWaitingTableChanges() {
    if (waitingResize) resizeTable(waitingBytes, waitingMegabytes);
    if (waitingClear) clearHashTables();
    waitingResize = waitingClear = false;
}
