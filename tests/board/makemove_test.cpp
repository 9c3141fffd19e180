// Making and unmaking moves: the special moves one by one, with the
// position each one leaves or their refusal, and taking them back.
#include <gtest/gtest.h>

#include <string>

#include "board/makemove.h"
#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

namespace {

std::string fenOfPosition() {
    char buffer[100];
    writeFen(buffer);
    return buffer;
}

struct MoveCase {
    const char *fen, *move;
    const char *after;         // the FEN after the move; "" when generated but refused, nullptr when not generated
    int check = NOT_IN_CHECK;  // the checking square after the move (| DOUBLE_CHECK for two checkers)
};

/// Plays each move from its position, compares the position it leaves (or
/// that it was refused), then takes it back.
void expectMoves(std::initializer_list<MoveCase> cases) {
    for (const MoveCase &c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.move);
        setFen(c.fen);
        std::string before = fenOfPosition();
        Move move = findMove(c.move);
        ASSERT_EQ(move != 0, c.after != nullptr);
        if (!move) continue;
        bool made = makeMove(move);
        EXPECT_EQ(made, *c.after != '\0');
        if (made) {
            EXPECT_EQ(fenOfPosition(), c.after);
            EXPECT_EQ(pos.checkState[pos.gamePly], c.check);
            EXPECT_EQ(positionFault(), nullptr);
            unmakeMove();
        }
        EXPECT_EQ(fenOfPosition(), before);
        EXPECT_EQ(pos.gamePly, 0);
        EXPECT_EQ(positionFault(), nullptr);
    }
}

TEST(MakeMove, SpecialMovesOfStandardChess) {
    expectMoves({
        // A double step leaves an en-passant square only for a pawn beside
        // it, on either side; the capture removes the passed pawn.
        {"4k3/8/8/8/8/8/4P3/4K3 w - -", "e2e4", "4k3/8/8/8/4P3/8/8/4K3 b - - 0 1"},
        {"4k3/8/8/8/3p4/8/4P3/4K3 w - -", "e2e4", "4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1"},
        {"4k3/3p4/8/4P3/8/8/8/4K3 b - -", "d7d5", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"},
        {"4k3/8/8/8/3pP3/8/8/4K3 b - e3", "d4e3", "4k3/8/8/8/8/4p3/8/4K3 w - - 0 1"},
        // Castling not through (f1) or onto (g1) an attacked square, but past
        // one (b1).
        {"4k3/8/b7/8/8/8/8/4K2R w K -", "e1g1", ""},
        {"4k3/b7/8/8/8/8/8/4K2R w K -", "e1g1", ""},
        {"4k3/8/8/8/4b3/8/8/R3K3 w Q -", "e1c1", "4k3/8/8/8/4b3/8/8/2KR4 b - - 0 1"},
        // Checks: discovered, by the castled rook on the file or along the
        // rank, by a queen promoted on the king's file, and a double check.
        {"4k3/8/8/8/8/4B3/8/4R1K1 w - -", "e3d4", "4k3/8/8/8/3B4/8/8/4R1K1 b - - 0 1", sq("e1")},
        {"5k2/8/8/8/8/8/8/4K2R w K -", "e1g1", "5k2/8/8/8/8/8/8/5RK1 b - - 0 1", sq("f1")},
        {"2K1k2r/8/8/8/8/8/8/8 b k -", "e8g8", "2K2rk1/8/8/8/8/8/8/8 w - - 0 1", sq("f8")},
        {"8/4P3/8/8/8/8/8/K3k3 w - -", "e7e8q", "4Q3/8/8/8/8/8/8/K3k3 b - - 0 1", sq("e8")},
        {"4k3/2b5/8/8/4N3/8/8/4R1K1 w - -", "e4d6", "4k3/2b5/3N4/8/8/8/8/4R1K1 b - - 0 1", sq("d6") | DOUBLE_CHECK},
    });
}

TEST(MakeMove, CastlingWithKingAndRookOnAnyFiles) {
    Chess960Game chess960Game;
    // Castling is written as the king moving onto its rook (the cases of
    // king and rook on their targets or swapping squares are counted in the
    // Chess960 perft positions).
    expectMoves({
        {"3k4/8/8/8/8/8/8/1R4K1 w B -", "g1b1", "3k4/8/8/8/8/8/8/2KR4 b - - 0 1", sq("d1")},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1h1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 0 1"},
        // Refused when the king crosses an attacked e1; not generated in check
        // or with a piece on a target square or between the rook and its target.
        {"4k3/8/8/8/7b/8/8/1R3K2 w B -", "f1b1", ""},
        {"4k3/8/8/8/8/7b/8/1R3K2 w B -", "f1b1", nullptr},
        {"5k2/8/8/8/8/8/8/RK1N4 w A -", "b1a1", nullptr},
        {"5k2/8/8/8/8/8/8/1RN2K2 w B -", "f1b1", nullptr},
        {"5k2/8/8/8/8/8/8/1R1N1K2 w B -", "f1b1", nullptr},
        {"5k2/8/8/8/8/8/8/R1N1K3 w A -", "e1a1", nullptr},
        // Each rook holds its own right: moving one keeps the other; a rook
        // taking a rook ends both their rights.
        {"1r4kr/8/8/8/8/8/8/1R4KR w HBhb -", "b1b2", "1r4kr/8/8/8/8/8/1R6/6KR b Kkq - 0 1"},
        {"1r4kr/8/8/8/8/8/1R6/6KR b Kkq -", "b8b2", "6kr/8/8/8/8/8/1r6/6KR w Kk - 0 1"},
        {"6kr/8/8/8/8/8/1r6/6KR w Kk -", "h1h8", "6kR/8/8/8/8/8/1r6/6K1 b - - 0 1", sq("h8")},
    });
}

}  // namespace
