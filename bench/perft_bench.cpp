// Perft speed: counts the move paths of a position to a depth and reports
// nodes per second. Usage: perft_bench [depth] [fen]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "board/notation.h"
#include "board/perft.h"
#include "board/position.h"

int main(int argc, char **argv) {
    int depth = argc > 1 ? std::atoi(argv[1]) : 6;
    setupPosition();
    if (argc > 2 && !readFen(argv[2])) {
        std::printf("FEN refused: %s\n", argv[2]);
        return 1;
    }
    auto start = std::chrono::steady_clock::now();
    uint64_t nodes = perft(depth);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("perft %d: %llu nodes in %.2f s, %.1f million nodes per second\n", depth,
                static_cast<unsigned long long>(nodes), seconds, nodes / seconds / 1e6);
    return 0;
}
