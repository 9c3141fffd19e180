// The bench command's positions and driver.
#include "search/bench.h"

#include <iterator>

#include "board/notation.h"
#include "board/position.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/clock.h"
#include "engine/output.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "eval/pst.h"
#include "search/state.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/tt.h"

// Openings, middlegames, endgames, positions in check, promotions, en
// passant, castling and short mates.
static const char *const BENCH_POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq -",
    "rnbqkb1r/ppp1pppp/5n2/3p4/2PP4/8/PP2PPPP/RNBQKBNR w KQkq -",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq -",
    "rnbqkb1r/pppppp1p/5np1/8/2PP4/2N5/PP2PPPP/R1BQKBNR b KQkq -",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -",
    "2kr3r/ppp2ppp/2n1bn2/2b1p3/4P3/2NP1N2/PPP1BPPP/R1B2RK1 w - -",
    "r2q1rk1/pb1nbppp/1p2pn2/2pp4/3P4/1PNBPN2/PBQ2PPP/R4RK1 w - -",
    "r1b1k2r/ppppqppp/2n2n2/2b5/2BpP3/2P2N2/PP3PPP/RNBQ1RK1 w kq -",
    "rnbqk1nr/pppp1ppp/8/4p3/1b1P4/8/PPP1PPPP/RNBQKBNR w KQkq -",
    "r1bqr1k1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQR1K1 w - -",
    "2r3k1/1q3ppp/p3p3/1p1nP3/3Q4/P4N2/1P3PPP/3R2K1 b - -",
    "4r1k1/pp3ppp/2p5/8/2P1n3/1P3N2/P4PPP/3R2K1 w - -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "8/8/8/3k4/8/8/2Q5/1K5r w - -",
    "8/1k6/8/8/3q4/8/5PPP/6K1 b - -",
    "8/5pk1/6p1/8/3R4/6P1/5PK1/1r6 w - -",
    "8/8/4kp2/6p1/4P3/3BK3/6P1/8 w - -",
    "8/pp3k2/2p5/3p4/3P4/2P5/PP3K2/8 w - -",
    "8/2P1k3/8/8/8/8/r7/4K3 w - -",
    "8/P6k/8/8/8/8/6K1/8 w - -",
    "8/8/1k6/8/8/8/6pK/8 w - -",
    "4k3/8/8/8/8/8/4P3/4K3 w - -",
    "3k4/8/3K4/3P4/8/8/8/8 w - -",
    "8/8/8/8/8/5k2/8/4K2R w K -",
    "8/8/8/8/4k3/8/8/2BNK3 w - -",
    "r3k3/8/8/8/8/8/8/4K2R w Kq -",
};

int benchPositionCount() { return int(std::size(BENCH_POSITIONS)); }

const char *benchPosition(int i) { return BENCH_POSITIONS[i]; }

/// Searches the current position as the bench does: fresh tables, history
/// and killers, no previous line to carry over.
static uint32_t searchFresh() {
    initPieceSquareTables();  // the next search then clears every hash table
    mainThread.previousScore = 0;
    mainThread.pvLength[0] = 0;
    mainThread.lastDepth = 0;
    mainThread.ttAge = 0;
    timeControl.searchStart = elapsedMs();
    think();
    return totalNodes();
}

/// Gives the bench the settings a fresh engine has, whatever was set before:
/// the table of the default size, one thread, one line, no tablebases and
/// standard chess, so that its count is the same anywhere.
static void useDefaultSettings() {
    options.optionFlags = OPT_XBOARD;  // no thinking output of any kind
    options.threads = 1;
    options.multiPv = 1;
    if (options.ttShift != DEFAULT_TT_SHIFT && ttAllocate(DEFAULT_TT_SHIFT)) options.ttShift = DEFAULT_TT_SHIFT;
    tbState = 0;
    syzygy.probeLimit = 0;
    chess960 = false;
}

/// Puts the user's table size back after the bench and returns the shift in
/// use: when that memory can no longer be had, the default table stays.
static uint8_t restoreTableSize(uint8_t shift) {
    if (shift == options.ttShift || ttAllocate(shift)) return shift;
    notice("Hash of %llu KB could not be allocated again after the bench: the table of %llu KB stays in use",
           (unsigned long long)(ttBucketsForShift(shift) * 48 / 1024),
           (unsigned long long)(ttBucketsForShift(options.ttShift) * 48 / 1024));
    return options.ttShift;
}

uint64_t benchNodes(int depth, uint32_t *elapsed) {
    static Position savedPosition;
    savedPosition = pos;
    EngineOptions savedOptions = options;
    TimeControl savedTime = timeControl;
    int16_t savedScore = mainThread.previousScore;
    uint8_t savedAnalyzing = analyzing, savedPondering = pondering;
    int8_t savedTbState = tbState;
    int savedProbeLimit = syzygy.probeLimit;
    bool savedChess960 = chess960;

    useDefaultSettings();
    timeControl.moveTime = 0;
    timeControl.maxDepth = uint8_t(depth > 0 ? depth : BENCH_DEFAULT_DEPTH);
    analyzing = pondering = 0;
    // Commands wait until the bench has ended, so that its node count does
    // not depend on the input.
    InputPoller savedPoller = setInputPoller(nullptr);
    uint64_t nodes = 0;
    uint32_t start = elapsedMs();
    for (const char *fen : BENCH_POSITIONS) {
        readFen(fen);
        nodes += searchFresh();
    }
    *elapsed = elapsedMs() - start;
    setInputPoller(savedPoller);

    pos = savedPosition;
    uint8_t shiftInUse = restoreTableSize(savedOptions.ttShift);
    options = savedOptions;
    options.ttShift = shiftInUse;
    tbState = savedTbState;
    syzygy.probeLimit = savedProbeLimit;
    chess960 = savedChess960;
    timeControl = savedTime;
    mainThread.previousScore = savedScore;
    analyzing = savedAnalyzing;
    pondering = savedPondering;
    mainThread.pvLength[0] = 0;
    mainThread.lastDepth = 0;
    initPieceSquareTables();
    return nodes;
}

void runBench(int depth) {
    uint32_t elapsed;
    uint64_t nodes = benchNodes(depth, &elapsed);
    reply("Nodes searched: %llu\n", (unsigned long long)nodes);
    reply("Nodes/second: %llu\n", (unsigned long long)(elapsed ? nodes * 1000 / elapsed : 0));
}
