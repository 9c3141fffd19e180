// The table of settings and the routines behind them.
#include "frontend/options.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/notation.h"
#include "book/bookfile.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/files.h"
#include "engine/output.h"
#include "eval/pawns.h"
#include "frontend/config.h"
#include "frontend/control.h"
#include "frontend/polyglotplay.h"
#include "search/root.h"
#include "search/tt.h"

// A table size asked for during a search, in bytes and as the user gave it,
// and a clearing asked for during a search.
static bool waitingResize, waitingClear;
static uint64_t waitingBytes, waitingMegabytes;

void setNalimovPath(const char *path) {
    std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", path);
    char folder[sizeof options.egtbPath];
    if (const char *problem = listedFolderProblem(options.egtbPath, ",;", folder, sizeof folder))
        notice("Nalimov path %s %s", folder, problem);
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

/// Clear Hash: empties the transposition, quiescence and pawn hash tables.
static void clearHashTables() {
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

/// The transposition table in use, in whole megabytes (at least 1, the
/// smallest size the option offers).
static long long hashMegabytesInUse() {
    return std::max<long long>(1, (long long)(ttBucketsForShift(options.ttShift) * 48 >> 20));
}

/// NalimovCache: kept in 8 bits; outside 1 to 64 it becomes 2.
static void storeNalimovCache(long long megabytes) {
    int8_t kept = int8_t(megabytes);
    options.egtbCacheMB = kept >= 1 && kept <= 64 ? kept : 2;
}

/// NalimovCache: with a Nalimov path set, the tables are looked for again
/// (after the search, when one runs).
static void setNalimovCache(long long megabytes) {
    storeNalimovCache(megabytes);
    if (!options.egtbPath[0]) return;
    int8_t found = tbRediscover();
    if (searching) return;  // discovery runs when the search has ended
    if (found < 1) debugPrint("TB failed to initialize\n");
    else debugPrint("Maximum %d piece TB found\n", found);
}

/// OwnBook: both opening books on or off. Switching on opens them again,
/// and the book is asked again for the next moves.
static void setOwnBook(bool on) {
    if (on) {
        game.bookAllowance = 3;
        openBook();
    } else {
        closeBook();
    }
    switchPolyglotBook(on);
}

static void setOptionFlag(uint16_t flag, bool on) {
    if (on) options.optionFlags |= flag;
    else options.optionFlags &= uint16_t(~flag);
}

/// UCI_Opponent "TITLE RATING KIND NAME": the opponent is a computer when
/// KIND begins with c.
static void setOpponent(const char *value) {
    char kind[16] = "";
    std::sscanf(value, "%*s %*s %15s", kind);
    setOptionFlag(OPT_COMPUTER, kind[0] == 'c' || kind[0] == 'C');
}

/// A check kept in a bit of optionFlags.
template <uint16_t FLAG> static long long flagValue() { return (options.optionFlags & FLAG) != 0; }
template <uint16_t FLAG> static void setFlag(long long on, const char *) { setOptionFlag(FLAG, on != 0); }

static void setMultiPv(long long lines, const char *) {
    options.multiPv = uint16_t(lines >= 1 && lines <= MAX_MULTI_PV ? lines : 1);
}

/// UCI_Elo and Skill Level: a value outside the range becomes its nearer end.
static void setEloLimit(long long elo, const char *) {
    options.eloLimit = int16_t(std::clamp<long long>(elo, MIN_STRENGTH_ELO, MAX_STRENGTH_ELO));
}

static void setSkillLevel(long long level, const char *) {
    options.skillLevel = uint8_t(std::clamp<long long>(level, 0, MAX_SKILL_LEVEL));
}

static void setMoveOverhead(long long milliseconds, const char *) {
    options.moveOverheadMs = uint16_t(std::clamp<long long>(milliseconds, 0, MAX_MOVE_OVERHEAD_MS));
}

/// TT_SIZE: kilobytes, read before the table is allocated.
static void configureTableSize(const char *kilobytes) {
    options.ttShift = ttShiftForKilobytes(uint32_t(std::strtoul(kilobytes, nullptr, 10)));
}

using Type = OptionType;

static const EngineOption ENGINE_OPTIONS[] = {
    {"Hash", nullptr, "TT_SIZE", Type::Spin, 1, MAX_HASH_MB, hashMegabytesInUse, nullptr,
     [](long long megabytes, const char *) { setHashMegabytes(uint64_t(megabytes)); }, configureTableSize},
    {"NalimovPath", nullptr, "EGTB_PATH", Type::String, 0, 0, nullptr,
     []() -> const char * { return options.egtbPath; }, [](long long, const char *path) { setNalimovPath(path); },
     nullptr},
    // The tables are looked for once start-up has read every setting.
    {"NalimovCache", "NalimovCache", "EGTB_CACHE_SIZE", Type::Spin, 1, 64,
     []() -> long long { return options.egtbCacheMB; }, nullptr,
     [](long long megabytes, const char *) { setNalimovCache(megabytes); },
     [](const char *megabytes) { storeNalimovCache(std::strtol(megabytes, nullptr, 10)); }},
    {"Ponder", nullptr, "PONDER", Type::Check, 0, 1, flagValue<OPT_PONDER>, nullptr, setFlag<OPT_PONDER>, nullptr},
    {"OwnBook", "OwnBook", nullptr, Type::Check, 0, 1, []() -> long long { return booksSwitchedOn(); }, nullptr,
     [](long long on, const char *) { setOwnBook(on != 0); }, nullptr},
    // The settings file's book is opened once start-up can report on it.
    {"PolyglotBook", "PolyglotBook", "POLYGLOT_BOOK", Type::File, 0, 0, nullptr, polyglotBookPath,
     [](long long, const char *path) { usePolyglotBook(path); }, setPolyglotBookPath},
    {"MultiPV", "MultiPV", nullptr, Type::Spin, 1, MAX_MULTI_PV, []() -> long long { return options.multiPv; }, nullptr,
     setMultiPv, nullptr},
    {"UCI_Opponent", nullptr, nullptr, Type::String, 0, 0, nullptr, nullptr,
     [](long long, const char *value) { setOpponent(value); }, nullptr},
    {"EnableBookLearning", "EnableBookLearning", "LEARN", Type::Check, 0, 1, flagValue<OPT_LEARN>, nullptr,
     setFlag<OPT_LEARN>, nullptr},
    {"CanResign", "CanResign", "RESIGN", Type::Check, 0, 1, flagValue<OPT_RESIGN>, nullptr, setFlag<OPT_RESIGN>,
     nullptr},
    {"SyzygyPath", nullptr, "SYZYGY_PATH", Type::String, 0, 0, nullptr, []() -> const char * { return syzygy.path; },
     [](long long, const char *path) { syzygySetPath(path); }, nullptr},
    {"SyzygyProbeLimit", "SyzygyProbeLimit", nullptr, Type::Spin, 0, 7,
     []() -> long long { return syzygy.probeLimit; }, nullptr,
     [](long long men, const char *) { syzygy.probeLimit = int(std::clamp<long long>(men, 0, 7)); }, nullptr},
    {"Threads", nullptr, "THREADS", Type::Spin, 1, MAX_SEARCH_THREADS, []() -> long long { return options.threads; },
     nullptr, [](long long threads, const char *) { options.threads = searchThreadCount(long(threads)); }, nullptr},
    {"Clear Hash", "Clear Hash", nullptr, Type::Button, 0, 0, nullptr, nullptr,
     [](long long, const char *) { clearHashTables(); }, nullptr},
    {"Move Overhead", "Move Overhead", nullptr, Type::Spin, 0, MAX_MOVE_OVERHEAD_MS,
     []() -> long long { return options.moveOverheadMs; }, nullptr, setMoveOverhead, nullptr},
    {"UCI_Chess960", nullptr, nullptr, Type::Check, 0, 1, []() -> long long { return chess960; }, nullptr,
     [](long long on, const char *) { chess960 = on != 0; }, nullptr},
    {"UCI_ShowWDL", nullptr, nullptr, Type::Check, 0, 1, []() -> long long { return options.showWdl; }, nullptr,
     [](long long on, const char *) { options.showWdl = on != 0; }, nullptr},
    {"UCI_LimitStrength", "UCI_LimitStrength", "LIMIT_STRENGTH", Type::Check, 0, 1,
     []() -> long long { return options.limitStrength; }, nullptr,
     [](long long on, const char *) { options.limitStrength = on != 0; }, nullptr},
    {"UCI_Elo", "UCI_Elo", "UCI_ELO", Type::Spin, MIN_STRENGTH_ELO, MAX_STRENGTH_ELO,
     []() -> long long { return options.eloLimit; }, nullptr, setEloLimit, nullptr},
    {"Skill Level", "Skill Level", "SKILL_LEVEL", Type::Spin, 0, MAX_SKILL_LEVEL,
     []() -> long long { return options.skillLevel; }, nullptr, setSkillLevel, nullptr},
    // The check of Nalimov table files is set in the settings file only.
    {nullptr, nullptr, "EGTB_VERIFY", Type::Check, 0, 1, []() -> long long { return tbVerify; }, nullptr,
     [](long long on, const char *) { tbVerify = on != 0; },
     [](const char *value) { tbVerify = std::strtol(value, nullptr, 10) != 0; }},
};

std::span<const EngineOption> engineOptions() { return ENGINE_OPTIONS; }

const EngineOption *findOption(const char *name, bool uci) {
    for (const EngineOption &option : ENGINE_OPTIONS) {
        const char *optionName = uci ? option.uciName : option.xboardName;
        if (optionName && !strcasecmp(optionName, name)) return &option;
    }
    return nullptr;
}

const EngineOption *findConfigOption(const char *key) {
    for (const EngineOption &option : ENGINE_OPTIONS)
        if (option.configKey && !std::strcmp(option.configKey, key)) return &option;
    return nullptr;
}
