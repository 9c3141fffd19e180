// Making and unmaking the special moves one by one (the position each
// leaves, or their refusal), FEN reading and writing, and algebraic move text.
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
        {"5k2/8/8/8/8/8/8/1RN2K2 w B -", "f1b1", nullptr},
        {"5k2/8/8/8/8/8/8/R1N1K3 w A -", "e1a1", nullptr},
        // Each rook holds its own right: moving one keeps the other; a rook
        // taking a rook ends both their rights.
        {"1r4kr/8/8/8/8/8/8/1R4KR w HBhb -", "b1b2", "1r4kr/8/8/8/8/8/1R6/6KR b Kkq - 0 1"},
        {"1r4kr/8/8/8/8/8/1R6/6KR b Kkq -", "b8b2", "6kr/8/8/8/8/8/1r6/6KR w Kk - 0 1"},
        {"6kr/8/8/8/8/8/1r6/6KR w Kk -", "h1h8", "6kR/8/8/8/8/8/1r6/6K1 b - - 0 1", sq("h8")},
    });
}

struct FenCase {
    const char *fen;
    const char *written;  // what writeFen gives after reading it; nullptr when it is refused
};

/// Reads each FEN and compares what is written back; a refused FEN must
/// leave the position as it was.
void expectFens(std::initializer_list<FenCase> cases) {
    for (const FenCase &c : cases) {
        SCOPED_TRACE(c.fen);
        std::string before = fenOfPosition();
        ASSERT_EQ(readFen(c.fen), c.written != nullptr);
        EXPECT_EQ(fenOfPosition(), c.written ? c.written : before);
        EXPECT_EQ(positionFault(), nullptr);
    }
}

TEST(Fen, ReadSanitisedAndWrittenBack) {
    setFen("4k3/8/8/8/8/8/8/4K3 w - -");
    expectFens({
        // Malformed or unplayable placements.
        {"4k3/8/8/8/8/8/4K3 w - -", nullptr},                // seven rows
        {"4k3/8/8/8/8/8/8/8 w - -", nullptr},                // no white king
        {"4k3/8/8/8/8/8/8/3KK3 w - -", nullptr},             // two white kings
        {"P3k3/8/8/8/8/8/8/4K3 w - -", nullptr},             // a pawn on the eighth rank
        {"4k3/8/8/8/8/8/8/4R1K1 w - -", nullptr},            // Black, not to move, in check
        {"4k3/pppppppp/p7/8/8/8/8/4K3 w - -", nullptr},      // nine black pawns
        {"4k3/8/8/8/8/8/PPPPPPP1/QQQ1K3 w - -", nullptr},    // seven pawns and two promoted queens
        {"4k3/8/8/8/8/8/8/4K39 w - -", nullptr},             // too many squares
        // A missing castling field gives every right; rights whose king or
        // rook is not at home are dropped; the counters are not read.
        {"r3k2r/8/8/8/8/8/8/R3K2R b", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Qk -", "r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1"},
        {"r3k3/8/8/8/8/8/8/4K2R w KQkq -", "r3k3/8/8/8/8/8/8/4K2R w Kq - 0 1"},
        {"4k3/8/8/8/8/8/8/R4K1R w KQ -", "4k3/8/8/8/8/8/8/R4K1R w - - 0 1"},
        // Standard chess keeps only the e-file king with corner rooks.
        {"r3k2r/8/8/8/8/8/8/R3K2R w HAha -", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"},
        {"nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq -", "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w - - 0 1"},
        // An en-passant square needs the pawn that could just have passed it.
        {"4k3/8/8/8/4P3/8/8/4K3 b - e3", "4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1"},
        {"4k3/8/8/8/4P3/8/8/4K3 w - e3", "4k3/8/8/8/4P3/8/8/4K3 w - - 0 1"},
        {"4k3/8/8/8/4P3/4B3/8/4K3 b - e3", "4k3/8/8/8/4P3/4B3/8/4K3 b - - 0 1"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 12", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"},
    });
}

TEST(Fen, ChessNineSixtyCastlingFieldsInXFenAndShredderFen) {
    Chess960Game chess960Game;
    // KQkq name the outermost rooks, a file letter any rook; written back,
    // a letter names only an inner rook.
    expectFens({
        {"nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq -", "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq - 0 1"},
        {"nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w GBgb -", "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq - 0 1"},
        {"1r1rk3/8/8/8/8/8/8/1R1RK3 w Dd -", "1r1rk3/8/8/8/8/8/8/1R1RK3 w Dd - 0 1"},
        {"1r1rk3/8/8/8/8/8/8/1R1RK3 w DQ -", "1r1rk3/8/8/8/8/8/8/1R1RK3 w D - 0 1"},  // one rook a wing: the first
        // Dropped: no rook on the file or on that side of the king, the king
        // off its first rank, a letter of the other side's case.
        {"1r4kr/8/8/8/8/8/8/1R4KR w HCh -", "1r4kr/8/8/8/8/8/8/1R4KR w Kk - 0 1"},
        {"4k3/8/8/8/8/8/8/R3K3 w KQ -", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1"},
        {"4k3/8/8/8/8/8/4K3/R6R w KQ -", "4k3/8/8/8/8/8/4K3/R6R w - - 0 1"},
        {"4k3/8/8/8/8/8/8/R3K2R w ha -", "4k3/8/8/8/8/8/8/R3K2R w - - 0 1"},
    });
}

TEST(MoveText, AlgebraicNotation) {
    struct Case { const char *fen, *move, *san; };
    const char *special = "r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6";
    for (Case c : {Case{"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "f3d2", "Nfd2"},
                   Case{"4k3/8/8/4N3/8/8/8/4NK2 w - -", "e5d3", "N5d3"},
                   Case{"4k3/8/8/8/8/8/4K3/R6R w - -", "a1d1", "Rad1"},
                   Case{"4k3/8/8/8/8/8/8/R3K2R w - -", "a1d1", "Rd1"},      // the king keeps h1 from d1
                   Case{"4k3/8/8/8/8/8/8/Q2QK3 w - -", "d1d4", "Qdd4"},
                   Case{"4k3/8/8/8/8/8/1P6/Q2QK3 w - -", "d1d4", "Qd4"},    // b2 blocks the a1 queen
                   Case{special, "e5d6", "exd6"}, Case{special, "b7a8q", "bxa8=Q"}, Case{special, "b7b8n", "b8=N"},
                   Case{special, "e1g1", "O-O"}, Case{special, "e1c1", "O-O-O"}, Case{special, "a1a8", "Rxa8"},
                   Case{special, "e1e2", "Ke2"}}) {
        setFen(c.fen);
        EXPECT_STREQ(moveToSan(findMove(c.move)), c.san) << c.fen << " " << c.move;
    }
}

}  // namespace
