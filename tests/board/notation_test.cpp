// FEN reading and writing, and algebraic move text.
#include <gtest/gtest.h>

#include <string>

#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

namespace {

std::string fenOfPosition() {
    char buffer[100];
    writeFen(buffer);
    return buffer;
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
        {"4k3/8/8/8/8/8/8/4K3/8 w - -", nullptr},            // nine rows
        {"4k3/8/8/8/8/8/8/8 w - -", nullptr},                // no white king
        {"4k3/8/8/8/8/8/8/3KK3 w - -", nullptr},             // two white kings
        {"P3k3/8/8/8/8/8/8/4K3 w - -", nullptr},             // a pawn on the eighth rank
        {"4k3/8/8/8/8/8/8/p3K3 w - -", nullptr},             // a pawn on the first rank
        {"4k3/8/8/8/8/8/8/4R1K1 w - -", nullptr},            // Black, not to move, in check
        {"4k3/pppppppp/p7/8/8/8/8/4K3 w - -", nullptr},      // nine black pawns
        {"4k3/8/8/8/8/8/PPPPPPP1/QQQ1K3 w - -", nullptr},    // seven pawns and two promoted queens
        {"4k3/8/8/8/8/8/8/4K39 w - -", nullptr},             // too many squares
        // A missing castling field gives every right; rights whose king or
        // rook is not at home are dropped; the counters are not read.
        {"r3k2r/8/8/8/8/8/8/R3K2R b", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b -", "r3k2r/8/8/8/8/8/8/R3K2R b - - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Qk -", "r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1"},
        {"r3k3/8/8/8/8/8/8/4K2R w KQkq -", "r3k3/8/8/8/8/8/8/4K2R w Kq - 0 1"},
        {"4k3/8/8/8/8/8/8/R4K1R w KQ -", "4k3/8/8/8/8/8/8/R4K1R w - - 0 1"},
        // Standard chess keeps only the e-file king with corner rooks.
        {"r3k2r/8/8/8/8/8/8/R3K2R w HAha -", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"},
        {"nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq -", "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w - - 0 1"},
        {"r3k1r1/8/8/8/8/8/8/R3K1R1 w KQkq -", "r3k1r1/8/8/8/8/8/8/R3K1R1 w Qq - 0 1"},
        {"4k3/8/8/8/8/8/8/R2K3R w KQ -", "4k3/8/8/8/8/8/8/R2K3R w - - 0 1"},
        // An en-passant square needs the pawn that could just have passed it.
        {"4k3/8/8/8/4P3/8/8/4K3 b - e3", "4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1"},
        {"4k3/8/8/8/4P3/8/8/4K3 w - e3", "4k3/8/8/8/4P3/8/8/4K3 w - - 0 1"},
        {"4k3/8/8/8/8/8/8/4K3 b - e3", "4k3/8/8/8/8/8/8/4K3 b - - 0 1"},
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
        {"1r1rk3/8/8/8/8/8/8/1R1RK3 w Qq -", "1r1rk3/8/8/8/8/8/8/1R1RK3 w Qq - 0 1"},
        {"1r1rk3/8/8/8/8/8/8/1R1RK3 w Dd -", "1r1rk3/8/8/8/8/8/8/1R1RK3 w Dd - 0 1"},
        {"1r1rk3/8/8/8/8/8/8/1R1RK3 w DQ -", "1r1rk3/8/8/8/8/8/8/1R1RK3 w D - 0 1"},  // one rook a wing: the first
        {"r3k2r/8/8/8/8/8/8/R3K2R w HAha -", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"},
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
                   Case{"4k3/8/8/8/8/8/4K3/R6R w - -", "a1a8", "Ra8"},
                   Case{"4k3/8/8/8/8/8/8/R3K2R w - -", "a1d1", "Rd1"},      // the king keeps h1 from d1
                   Case{"4k3/8/8/8/8/8/8/Q2QK3 w - -", "d1d4", "Qdd4"},
                   Case{"4k3/8/8/8/8/8/1P6/Q2QK3 w - -", "d1d4", "Qd4"},    // b2 blocks the a1 queen
                   Case{"4k3/8/8/8/8/8/8/Q2QK2Q w - -", "d1d4", "Qdd4"},   // h1 does not reach d4
                   Case{special, "e5d6", "exd6"}, Case{special, "b7a8q", "bxa8=Q"}, Case{special, "b7b8n", "b8=N"},
                   Case{special, "e1g1", "O-O"}, Case{special, "e1c1", "O-O-O"}, Case{special, "a1a8", "Rxa8"},
                   Case{special, "e1e2", "Ke2"}}) {
        setFen(c.fen);
        EXPECT_STREQ(moveToSan(findMove(c.move)), c.san) << c.fen << " " << c.move;
    }
}

}  // namespace
