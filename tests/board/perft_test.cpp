// Move-path counts of well-known test positions: any error in generation,
// legality or make/unmake shows up as a wrong total.
#include <gtest/gtest.h>

#include "board/perft.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

struct PerftCase {
    const char *fen;
    int depth;
    uint64_t nodes;
};

class Perft : public ::testing::TestWithParam<PerftCase> {};

TEST_P(Perft, CountsEveryLegalPath) {
    const PerftCase &test = GetParam();
    setFen(test.fen);
    EXPECT_EQ(perft(test.depth), test.nodes) << test.fen;
    EXPECT_EQ(positionFault(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    ReferencePositions, Perft,
    ::testing::Values(
        PerftCase{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 5, 4865609},
        PerftCase{"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4, 4085603},
        PerftCase{"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 674624},
        PerftCase{"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 4, 422333},
        PerftCase{"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", 4, 2103487},
        PerftCase{"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -", 4, 3894594}));
