// Tablebase probe speed, run by hand: nalimov_bench [directory]. Writes a
// synthetic five-man table ("kqrkr", white to move, a sparse file of the
// recorded length with a few values set) and prints probes per second with
// the blocks held in the cache and with a cache too small to hold them.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "board/notation.h"
#include "board/position.h"
#include "egtb/nalimov.h"
#include "egtb/tablebase.h"
#include "engine/output.h"
#include "engine/settings.h"

static uint32_t nextRandom(uint32_t &state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

/// FEN texts of legal "kqrkr" positions, white to move.
static std::vector<std::string> samplePositions(int count) {
    std::vector<std::string> fens;
    uint32_t state = 7;
    const char men[] = "KQRkr";
    while (int(fens.size()) < count) {
        char board[64] = {};
        for (const char *m = men; *m; m++) {
            int square;
            do square = int(nextRandom(state) % 64);
            while (board[square]);
            board[square] = *m;
        }
        std::string fen;
        for (int row = 0; row < 8; row++) {
            int gap = 0;
            for (int file = 0; file < 8; file++) {
                char c = board[row * 8 + file];
                if (!c) gap++;
                else fen += (gap ? std::to_string(gap) : "") + c, gap = 0;
            }
            if (gap) fen += std::to_string(gap);
            if (row < 7) fen += '/';
        }
        fen += " w - - 0 1";
        if (readFen(fen.c_str())) fens.push_back(fen);
    }
    return fens;
}

/// Probes every position `rounds` times; returns probes per second.
static double probeRate(const std::vector<std::string> &fens, int rounds, int *found) {
    double seconds = 0;
    *found = 0;
    for (int round = 0; round < rounds; round++)
        for (const std::string &fen : fens) {
            readFen(fen.c_str());
            int16_t score;
            auto begin = std::chrono::steady_clock::now();
            *found += tbProbe(&score);
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        }
    return double(rounds) * double(fens.size()) / seconds;
}

int main(int argc, char **argv) {
    std::string dir = argc > 1 ? argv[1] : "/tmp";
    options.optionFlags = OPT_XBOARD;
    tbVerify = false;
    nalimovSetup();
    int table = 0;
    while (std::string(tbTables[table].name) != "kqrkr") table++;
    std::string file = dir + "/kqrkr.nbw";
    int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, off_t(tbTables[table].count[0])) != 0) {
        reply("cannot write %s\n", file.c_str());
        return 1;
    }
    for (uint64_t offset = 0; offset < tbTables[table].count[0]; offset += 1 << 20) {
        uint8_t byte = uint8_t(1 + offset % 120);
        if (pwrite(fd, &byte, 1, off_t(offset)) != 1) return 1;
    }
    close(fd);
    std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", dir.c_str());

    int found;
    options.egtbCacheMB = 4;  // 507 blocks
    tbRediscover();
    std::vector<std::string> few = samplePositions(400);
    probeRate(few, 1, &found);  // brings their blocks into the cache
    uint32_t reads = tbStats.blockReads;
    double cached = probeRate(few, 50, &found);
    reply("cached blocks: %.0f probes/s (%d found, %u block reads)\n", cached, found, tbStats.blockReads - reads);

    options.egtbCacheMB = 1;  // 126 blocks of the table's 12798
    tbRediscover();
    std::vector<std::string> many = samplePositions(20000);
    reads = tbStats.blockReads;
    double cold = probeRate(many, 1, &found);
    reply("cold cache:    %.0f probes/s (%d found, %u block reads)\n", cold, found, tbStats.blockReads - reads);
    tbRelease();
    std::remove(file.c_str());
    return 0;
}
