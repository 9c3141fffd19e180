// Evaluations per second with the full window over a fixed set of positions
// (openings, middlegames, endings, pawn races). Run by hand:
//   make bench && ./build/eval_bench [evaluations per position]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "board/notation.h"
#include "eval/evaluate.h"
#include "eval/pawns.h"
#include "eval/pst.h"

namespace {

constexpr const char *POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "2rq1rk1/pp1bppbp/3p1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - -",
    "r2q1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/R2Q1RK1 w - -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "8/8/P4K2/8/3k4/7p/8/8 w - -",
    "4k3/pp3ppp/8/8/8/8/PP3PPP/4K3 w - -",
    "8/5pk1/6p1/8/3K4/8/1P6/8 b - -",
    "2r3k1/1q3pp1/4p2p/8/1Q6/6P1/5PBP/2R3K1 w - -",
};

}  // namespace

int main(int argc, char **argv) {
    long perPosition = argc > 1 ? std::atol(argv[1]) : 2000000;
    initPieceSquareTables();
    if (!pawnHashAllocate()) return 1;

    long total = 0;
    long checksum = 0;  // keeps the calls from being optimised away
    double seconds = 0;
    for (const char *fen : POSITIONS) {
        if (!readFen(fen)) {
            std::printf("position refused: %s\n", fen);
            return 1;
        }
        auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < perPosition; i++) checksum += evaluate(-10000, 10000);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += perPosition;
    }
    std::printf("%ld evaluations in %.3f s: %.0f evaluations per second (checksum %ld)\n", total, seconds,
                total / seconds, checksum);
    pawnHashRelease();
    return 0;
}
