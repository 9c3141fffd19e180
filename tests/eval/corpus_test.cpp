// Random games from the start position, biased toward pawn moves and queen
// promotions so that they reach endings with several queens. Every position
// is evaluated (under the sanitizers in the sanitizer build), and the terms
// that treat both colours alike are checked on the colour-reversed position.
#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "eval/passers.h"
#include "eval_fixture.h"

namespace {

constexpr int MAX_GAME_PLIES = 300;

/// Games from the start position, and from kings and pawns only, so that
/// pawn races come up as well.
constexpr struct {
    const char *fen;
    int games;
} STARTS[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 60},
    {"4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - -", 40},
};

/// Picks a move to try: a queen promotion when there is one, most often a
/// pawn move, otherwise anything.
Move pickMove(const std::vector<Move> &moves, std::mt19937 &random) {
    std::vector<Move> queening, pawnMoves;
    for (Move move : moves) {
        if ((move & MF_PROMO) && movePromotion(move) == QUEEN) queening.push_back(move);
        if (move & MF_PAWN) pawnMoves.push_back(move);
    }
    const std::vector<Move> &from = !queening.empty() && random() % 4 != 0 ? queening
                                    : !pawnMoves.empty() && random() % 5 < 3 ? pawnMoves
                                                                             : moves;
    return from[random() % from.size()];
}

/// Plays one legal move chosen at random; false when there is none.
bool playRandomMove(std::mt19937 &random) {
    genPositionMoves();
    std::vector<Move> moves;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) moves.push_back(entry->move);
    while (!moves.empty()) {
        Move move = pickMove(moves, random);
        if (makeMove(move)) {
            pos.ply = 0;  // a game, not a search: keep generating at ply 0
            return true;
        }
        moves.erase(std::find(moves.begin(), moves.end(), move));
    }
    return false;
}

/// The FEN of every position of the random games.
std::vector<std::string> randomGameCorpus() {
    std::mt19937 random(20240611);
    std::vector<std::string> corpus;
    char fen[100];
    for (const auto &start : STARTS)
        for (int game = 0; game < start.games; game++) {
            readFen(start.fen);
            for (int ply = 0; ply < MAX_GAME_PLIES && playRandomMove(random); ply++) {
                writeFen(fen);
                corpus.emplace_back(fen);
            }
        }
    return corpus;
}

/// The current position with the board turned round and the colours
/// exchanged, the other side to move.
std::string reversedColoursFen() {
    std::string fen;
    for (int rank = 7; rank >= 0; rank--) {
        int empties = 0;
        for (int file = 0; file < 8; file++) {
            uint8_t code = pos.board[rank * 8 + file];
            if (code == EMPTY) {
                empties++;
                continue;
            }
            if (empties) fen += char('0' + empties), empties = 0;
            char letter = PIECE_LETTERS[pieceType(code)];
            fen += pieceSide(code) == WHITE ? char(letter + 32) : letter;  // colours exchanged
        }
        if (empties) fen += char('0' + empties);
        if (rank) fen += '/';
    }
    return fen + (pos.sideToMove == WHITE ? " b - -" : " w - -");
}

int mostQueens() { return std::max(pos.pieceCount[WHITE][QUEEN], pos.pieceCount[BLACK][QUEEN]); }

class RandomGames : public EvalTest {
protected:
    static void SetUpTestSuite() { corpus = randomGameCorpus(); }
    static std::vector<std::string> corpus;
};

std::vector<std::string> RandomGames::corpus;

TEST_F(RandomGames, CorpusReachesPositionsWithSeveralQueens) {
    ASSERT_GT(corpus.size(), 5000u);
    int severalQueens = 0;
    for (const std::string &fen : corpus) {
        setFen(fen.c_str());
        if (mostQueens() >= 3) severalQueens++;
    }
    EXPECT_GT(severalQueens, 100);
}

TEST_F(RandomGames, FullWindowNeverExitsLazilyAndScoresStayBelowMates) {
    constexpr int16_t WIDEST = std::numeric_limits<int16_t>::max();
    for (const std::string &fen : corpus) {
        setFen(fen.c_str());
        int full = evaluate(-10000, 10000);
        ASSERT_EQ(full, evaluate(-WIDEST, WIDEST)) << fen;
        ASSERT_LT(std::abs(full), MATE_REPORT) << fen;
    }
}

TEST_F(RandomGames, LazyExitReturnsOnlyScoresFarOutsideTheWindow) {
    std::mt19937 random(7);
    for (const std::string &fen : corpus) {
        setFen(fen.c_str());
        int full = evaluate(-10000, 10000);
        int alpha = int(random() % 3001) - 1500;
        int beta = alpha + 1 + int(random() % 400);
        int lazy = evaluate(int16_t(alpha), int16_t(beta));
        if (lazy == full) continue;
        int margin = currentWeights().weight[W_LAZY_MARGIN];
        ASSERT_TRUE(lazy - margin >= beta || lazy + margin <= alpha)
            << fen << " window " << alpha << " " << beta << " gave " << lazy << " for " << full;
    }
}

TEST_F(RandomGames, PawnTermsTreatBothColoursAlike) {
    for (const std::string &fen : corpus) {
        setFen(fen.c_str());
        const EvalWeights &w = currentWeights();
        PawnHashEntry original = scoredPawns(w);
        int passers = evalPassedPawns(original, w);
        int material = materialBalance();

        setFen(reversedColoursFen().c_str());
        ASSERT_EQ(&currentWeights(), &w);
        PawnHashEntry reversed = scoredPawns(w);
        ASSERT_EQ(reversed.score, -original.score) << fen;
        ASSERT_EQ(reversed.passedFiles[WHITE], original.passedFiles[BLACK]) << fen;
        ASSERT_EQ(reversed.passedFiles[BLACK], original.passedFiles[WHITE]) << fen;
        ASSERT_EQ(reversed.weakFiles[WHITE], original.weakFiles[BLACK]) << fen;
        ASSERT_EQ(evalPassedPawns(reversed, w), -passers) << fen;
        ASSERT_EQ(materialBalance(), -material) << fen;
    }
}

}  // namespace
