// Random games from the start position, biased toward pawn moves and queen
// promotions so that they reach endings with several queens. Every position
// is evaluated (under the sanitizers in the sanitizer build), and compared
// with its mirror image.
#include <algorithm>
#include <limits>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "eval_fixture.h"

namespace {

constexpr int MAX_GAME_PLIES = 300;

/// The FEN of every position of random games from the start position (60)
/// and from kings and pawns only (40, for pawn races). Each move is tried
/// from the queen promotions (3 times in 4 when there are any), else from
/// the pawn moves (3 times in 5), else from all moves, until one is legal.
std::vector<std::string> randomGameCorpus() {
    std::mt19937 random(20240611);
    std::vector<std::string> corpus;
    char fen[100];
    for (auto [start, games] : {std::pair{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 60},
                                std::pair{"4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - -", 40}})
        for (int game = 0; game < games; game++) {
            readFen(start);
            for (int ply = 0; ply < MAX_GAME_PLIES; ply++) {
                genPositionMoves();
                std::vector<Move> moves, queening, pawnMoves;
                for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) moves.push_back(entry->move);
                bool made = false;
                while (!made && !moves.empty()) {
                    queening.clear(), pawnMoves.clear();
                    for (Move move : moves) {
                        if ((move & MF_PROMO) && movePromotion(move) == QUEEN) queening.push_back(move);
                        if (move & MF_PAWN) pawnMoves.push_back(move);
                    }
                    const std::vector<Move> &from = !queening.empty() && random() % 4 != 0 ? queening
                                                    : !pawnMoves.empty() && random() % 5 < 3 ? pawnMoves
                                                                                             : moves;
                    Move move = from[random() % from.size()];
                    if (!(made = makeMove(move))) moves.erase(std::find(moves.begin(), moves.end(), move));
                }
                if (!made) break;
                pos.ply = 0;  // a game, not a search: keep generating at ply 0
                writeFen(fen);
                corpus.emplace_back(fen);
            }
        }
    return corpus;
}

using RandomGames = EvalTest;

TEST_F(RandomGames, ScoresStayBelowMatesWithoutLazyExitsAndMirrorImagesHaveOppositeTerms) {
    std::vector<std::string> corpus = randomGameCorpus();
    ASSERT_GT(corpus.size(), 5000u);
    // And middlegames with castling rights and an en-passant square.
    corpus.insert(corpus.end(), {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                                 "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
                                 "rnbqkb1r/pp3ppp/4pn2/2pP4/8/2N2N2/PPP1PPPP/R1BQKB1R w KQkq c6"});
    constexpr int16_t WIDEST = std::numeric_limits<int16_t>::max();
    int severalQueens = 0;
    for (const std::string &fen : corpus) {
        setFen(fen.c_str());
        if (std::max(pos.pieceCount[WHITE][QUEEN], pos.pieceCount[BLACK][QUEEN]) >= 3) severalQueens++;
        int full = fullEval();
        ASSERT_EQ(full, evaluate(-WIDEST, WIDEST)) << fen;
        ASSERT_LT(std::abs(full), MATE_REPORT) << fen;
        expectMirrorOpposite(fen);
        if (HasFailure()) break;
    }
    EXPECT_GT(severalQueens, 100);
}

}  // namespace
