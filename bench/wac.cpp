// Strength check: wac PATH [centiseconds]. Searches every position of an
// EPD file for a fixed time (1 second by default) and counts the positions
// whose chosen move is one of the "bm" moves; positions with "dm" of 3 or
// less must also be announced with a mate score.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/notation.h"
#include "eval/pawns.h"
#include "frontend/control.h"
#include "search/state.h"
#include "search/think.h"
#include "search/tt.h"

/// One EPD record: the position, its best moves and the announced mate.
struct EpdRecord {
    std::string fen, id;
    std::vector<std::string> bestMoves;
    int mateIn = 0;
};

/// SAN without check and mate signs, castling written with zeros.
static std::string normalizeSan(std::string san) {
    std::string out;
    for (char c : san)
        if (c != '+' && c != '#' && c != '!' && c != '?') out += c == 'O' ? '0' : c;
    return out;
}

/// The text of an EPD operation ("bm Qg6 Rf1;") after its opcode, or "".
static std::string operation(const std::string &line, const char *opcode) {
    std::string key = std::string(" ") + opcode + " ";
    size_t at = line.find(key);
    if (at == std::string::npos) return "";
    size_t start = at + key.size(), end = line.find(';', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

static bool parseRecord(const std::string &line, EpdRecord *record) {
    size_t fieldEnd = 0;
    for (int field = 0; field < 4; field++) {
        fieldEnd = line.find(' ', fieldEnd + (field > 0));
        if (fieldEnd == std::string::npos) return false;
    }
    record->fen = line.substr(0, fieldEnd);
    record->id = operation(line, "id");
    std::string moves = operation(line, "bm");
    for (size_t start = 0; start < moves.size();) {
        size_t end = moves.find(' ', start);
        if (end == std::string::npos) end = moves.size();
        if (end > start) record->bestMoves.push_back(normalizeSan(moves.substr(start, end - start)));
        start = end + 1;
    }
    std::string mate = operation(line, "dm");
    record->mateIn = mate.empty() ? 0 : std::atoi(mate.c_str());
    return !record->bestMoves.empty();
}

/// Searches the record's position for the given time; true when solved.
static bool solve(const EpdRecord &record, uint32_t centiseconds, std::string *played) {
    newGame();
    readFen(record.fen.c_str());
    timeControl.movesPerControl = 0;
    timeControl.baseTime = 0;
    timeControl.moveTime = centiseconds;
    timeControl.maxDepth = 64;
    timeControl.searchStart = elapsedMs();
    think();
    *played = mainThread.pvTable[0][0] ? normalizeSan(moveToSan(mainThread.pvTable[0][0])) : "(none)";
    for (const std::string &best : record.bestMoves)
        if (best == *played) return true;
    return false;
}

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: wac EPD-FILE [centiseconds]\n");
        return 2;
    }
    FILE *file = std::fopen(argv[1], "r");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    uint32_t centiseconds = argc > 2 ? uint32_t(std::atoi(argv[2])) : 100;
    options.optionFlags = OPT_XBOARD;  // no thinking output
    options.ttShift = 16;
    options.multiPv = 1;
    if (!ttAllocate(options.ttShift) || !pawnHashAllocate()) return 1;

    int total = 0, solved = 0, mates = 0, matesAnnounced = 0;
    auto start = std::chrono::steady_clock::now();  // newGame restarts the engine clock
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, file)) {
        EpdRecord record;
        if (!parseRecord(buffer, &record)) continue;
        total++;
        std::string played;
        bool ok = solve(record, centiseconds, &played);
        solved += ok;
        bool mateExpected = record.mateIn > 0 && record.mateIn <= 3;
        bool announced = mainThread.previousScore > MATE_REPORT;
        mates += mateExpected;
        matesAnnounced += mateExpected && announced;
        std::printf("%-10s %-7s %-7s score %6d depth %2d %s%s\n", record.id.c_str(), played.c_str(),
                    record.bestMoves[0].c_str(), mainThread.previousScore, mainThread.lastDepth,
                    ok ? "solved" : "MISSED", mateExpected && !announced ? " (mate not announced)" : "");
        std::fflush(stdout);
    }
    std::fclose(file);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Solved %d of %d; mates in 3 or less announced: %d of %d; time %.1f s\n", solved, total,
                matesAnnounced, mates, seconds);
    ttRelease();
    pawnHashRelease();
    return 0;
}
