// Move-path counts of well-known test positions: any error in generation,
// legality or make/unmake shows up as a wrong total. The trees are walked
// once more, to three plies, checking the position after every make and
// every take-back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/perft.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

namespace {

/// The position as FEN with the fields that positionFault does not derive
/// from the board: the fifty-move count and the plies.
std::string snapshot() {
    char fen[100];
    writeFen(fen);
    return std::string(fen) + " " + std::to_string(pos.fiftyCount) + " " + std::to_string(pos.gamePly) + " " +
           std::to_string(pos.ply);
}

/// Makes and takes back every move path to `depth`, and a null move before
/// the moves of each inner node not in check: every make must leave a
/// consistent position and every take-back (or refusal) the one before.
void walkAndCheck(int depth) {
    if (depth == 0) return;
    std::string before = snapshot();
    if (depth >= 2 && !inCheck()) {
        makeNullMove();
        walkAndCheck(depth - 1);
        unmakeMove();
        EXPECT_EQ(snapshot(), before) << "null move";
    }
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd() && !::testing::Test::HasFailure(); entry++) {
        if (makeMove(entry->move)) {
            EXPECT_EQ(positionFault(), nullptr) << moveToText(entry->move);
            walkAndCheck(depth - 1);
            unmakeMove();
        }
        EXPECT_EQ(snapshot(), before) << moveToText(entry->move);
        EXPECT_EQ(positionFault(), nullptr) << moveToText(entry->move);
    }
}

struct PerftCase {
    const char *fen;
    int depth;
    uint64_t nodes;
    bool chess960 = false;  // a Chess960 game: castling letters may name any rook
};

class Perft : public ::testing::TestWithParam<PerftCase> {};

TEST_P(Perft, CountsEveryLegalPathAndTakesEveryMoveBack) {
    const PerftCase &test = GetParam();
    chess960 = test.chess960;
    setFen(test.fen);
    EXPECT_EQ(perft(test.depth), test.nodes) << test.fen;
    walkAndCheck(std::min(test.depth, 3));
    chess960 = false;
}

INSTANTIATE_TEST_SUITE_P(
    ReferencePositions, Perft,
    ::testing::Values(
        PerftCase{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 5, 4865609},
        PerftCase{"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4, 4085603},
        PerftCase{"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 674624},
        PerftCase{"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 4, 422333},
        PerftCase{"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", 4, 2103487},
        PerftCase{"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -", 4, 3894594},
        // En passant beside castling (Debian's stockfish 15.1, "go perft 3").
        PerftCase{"r3k2r/8/8/2pPp3/8/8/8/R3K2R w KQkq c6", 3, 16781},
        // A double check set up by FEN: only Kd8, Kf8 and Kd7 (Bxd6 leaves
        // the rook's check, e7 and f7 stay attacked).
        PerftCase{"r3k3/2b5/3N4/8/8/8/8/4R1K1 b - -", 1, 3}));

// Chess960 positions chosen for one castling case each (the king or the rook
// already on its target, king and rook side by side or swapping squares, the
// king moving toward the h-file on the long side, an attacked rook square, a
// rook that hides the king's target, a castled rook checking along the first
// rank), and a middle-game position of the published Chess960 perft table.
// The counts are Debian's stockfish 15.1 ("setoption name UCI_Chess960 value
// true", "go perft 4"); the last one also matches the published table.
INSTANTIATE_TEST_SUITE_P(
    Chess960CastlingCases, Perft,
    ::testing::Values(
        PerftCase{"1r4kr/p4ppp/8/8/8/8/P4PPP/1R4KR w HBhb - 0 1", 4, 204350, true},      // king on g1 already
        PerftCase{"r1k4r/pp3ppp/8/8/8/8/PP3PPP/R1K4R w HAha - 0 1", 4, 194651, true},    // king on c1, rook a1
        PerftCase{"1rk3r1/ppp2ppp/8/8/8/8/PPP2PPP/1RK3R1 w GBgb - 0 1", 4, 194817, true},  // king c1, rook b1
        PerftCase{"3rkr2/pppppppp/8/8/8/8/PPPPPPPP/3RKR2 w FDfd - 0 1", 4, 272716, true},  // rooks on their targets
        PerftCase{"rk5r/pp4pp/8/8/8/8/PP4PP/RK5R w HAha - 0 1", 4, 99262, true},         // king b1 goes right
        PerftCase{"2rk2r1/pp3ppp/8/8/8/8/PP3PPP/2RK2R1 w GCgc - 0 1", 4, 388223, true},  // king and rook swap
        PerftCase{"1r3kr1/pp3ppp/8/8/8/8/PP3PPP/1R3KR1 w GBgb - 0 1", 4, 139640, true},  // swap on the short side
        PerftCase{"5k2/8/8/8/8/8/b7/1R4K1 w B - 0 1", 4, 37998, true},                   // the rook on b1 attacked
        PerftCase{"5k2/8/8/8/8/8/8/qR4K1 w B - 0 1", 4, 50791, true},                    // b1 hides c1 from a1
        PerftCase{"4k3/8/8/8/8/8/8/rR3K2 w B - 0 1", 4, 22885, true},                    // and the crossed d1, e1
        PerftCase{"8/8/8/4n3/8/8/8/k5KR w H - 0 1", 4, 15649, true},                     // f1 checks a1 along the rank
        PerftCase{"bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9", 4, 326672, true}));

}  // namespace
