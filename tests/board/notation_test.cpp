// FEN reading and writing, and algebraic move text.
#include <gtest/gtest.h>

#include <string>

#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

static std::string fenOfPosition() {
    char buffer[100];
    writeFen(buffer);
    return buffer;
}

TEST(Fen, RoundTripsOfReferencePositions) {
    for (const char *fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                            "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
                            "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
                            "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
                            "4k3/8/8/8/4P3/8/8/4K3 b - e3"}) {
        setFen(fen);
        EXPECT_EQ(fenOfPosition(), std::string(fen) + " 0 1");
    }
}

TEST(Fen, MalformedOrUnplayablePlacementsLeaveThePositionAlone) {
    setFen("4k3/8/8/8/8/8/8/4K3 w - -");
    for (const char *fen : {"4k3/8/8/8/8/8/4K3 w - -",      // seven rows
                            "4k3/8/8/8/8/8/8/4K3/8 w - -",  // nine rows
                            "4k3/8/8/8/8/8/8/8 w - -",      // no white king
                            "4k3/8/8/8/8/8/8/3KK3 w - -",   // two white kings
                            "P3k3/8/8/8/8/8/8/4K3 w - -",   // a pawn on the eighth rank
                            "4k3/8/8/8/8/8/8/p3K3 w - -",   // a pawn on the first rank
                            "4k3/8/8/8/8/8/8/4R1K1 w - -",  // Black, not to move, in check
                            "4k3/pppppppp/p7/8/8/8/8/4K3 w - -",  // nine black pawns
                            "4k3/8/8/8/8/8/PPPPPPP1/QQQ1K3 w - -",  // seven pawns and two promoted queens
                            "4k3/8/8/8/8/8/8/4K39 w - -"}) {  // too many squares
        EXPECT_FALSE(readFen(fen)) << fen;
        EXPECT_EQ(fenOfPosition(), "4k3/8/8/8/8/8/8/4K3 w - - 0 1") << fen;
    }
}

TEST(Fen, CastlingAndEnPassantFieldsAreSanitised) {
    struct Case { const char *fen; int rights; const char *ep; };
    for (Case c : {Case{"r3k2r/8/8/8/8/8/8/R3K2R b", 15, "-"},  // a missing field gives every right
                   Case{"r3k2r/8/8/8/8/8/8/R3K2R b -", 0, "-"}, Case{"r3k2r/8/8/8/8/8/8/R3K2R w Qk -", 2 | 4, "-"},
                   // Rights whose king or rook is not at home are dropped.
                   Case{"r3k3/8/8/8/8/8/8/4K2R w KQkq -", 1 | 8, "-"}, Case{"4k3/8/8/8/8/8/8/R4K1R w KQ -", 0, "-"},
                   // An en-passant square needs the pawn that could just have passed it.
                   Case{"4k3/8/8/8/4P3/8/8/4K3 b - e3", 0, "e3"}, Case{"4k3/8/8/8/4P3/8/8/4K3 w - e3", 0, "-"},
                   Case{"4k3/8/8/8/8/8/8/4K3 b - e3", 0, "-"}, Case{"4k3/8/8/8/4P3/4B3/8/4K3 b - e3", 0, "-"},
                   Case{"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 12", 0, "d6"}}) {
        setFen(c.fen);
        EXPECT_EQ(pos.castleRights, c.rights) << c.fen;
        EXPECT_EQ(pos.epSquare, c.ep[0] == '-' ? NO_EP_SQUARE : sq(c.ep)) << c.fen;
        EXPECT_EQ(pos.fiftyCount, 0) << c.fen;  // the counters are not read
    }
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

TEST(Fen, ChessNineSixtyCastlingFieldsInXFenAndShredderFen) {
    Chess960Game chess960Game;
    // rights: the castleRights bits; rooks: the rook squares of White's
    // short and long rights, "-" without; written: the field writeFen gives.
    struct Case { const char *fen; int rights; const char *shortRook, *longRook, *written; };
    const Case cases[] = {
        // KQkq name the outermost rooks; a letter names an inner rook.
        {"nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq -", 15, "g1", "b1", "KQkq"},
        {"nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w GBgb -", 15, "g1", "b1", "KQkq"},  // Shredder-FEN
        {"1r1rk3/8/8/8/8/8/8/1R1RK3 w Qq -", 2 | 8, "-", "b1", "Qq"},
        {"1r1rk3/8/8/8/8/8/8/1R1RK3 w Dd -", 2 | 8, "-", "d1", "Dd"},
        {"1r1rk3/8/8/8/8/8/8/1R1RK3 w DQ -", 2, "-", "d1", "D"},  // one rook a wing: the first letter
        {"r3k2r/8/8/8/8/8/8/R3K2R w HAha -", 15, "h1", "a1", "KQkq"},
        // Dropped: no rook on the file or on that side of the king, the king
        // off its first rank, a letter of the other side's case.
        {"1r4kr/8/8/8/8/8/8/1R4KR w HCh -", 1 | 4, "h1", "-", "Kk"},
        {"4k3/8/8/8/8/8/8/R3K3 w KQ -", 2, "-", "a1", "Q"},
        {"4k3/8/8/8/8/8/4K3/R6R w KQ -", 0, "-", "-", "-"},
        {"4k3/8/8/8/8/8/8/R3K2R w ha -", 0, "-", "-", "-"},
    };
    for (const Case &c : cases) {
        setFen(c.fen);
        EXPECT_EQ(pos.castleRights, c.rights) << c.fen;
        int shortRook = pos.castleRights & 1 ? pos.castling[0].rookSquare : -1;
        int longRook = pos.castleRights & 2 ? pos.castling[1].rookSquare : -1;
        EXPECT_EQ(shortRook, c.shortRook[0] == '-' ? -1 : sq(c.shortRook)) << c.fen;
        EXPECT_EQ(longRook, c.longRook[0] == '-' ? -1 : sq(c.longRook)) << c.fen;
        std::string fen = fenOfPosition();
        EXPECT_EQ(fen.substr(fen.find(' ') + 3, fen.rfind(" - ") - fen.find(' ') - 3), c.written) << c.fen;
        EXPECT_EQ(positionFault(), nullptr) << c.fen;
    }
}

TEST(Fen, StandardChessKeepsOnlyTheEFileKingWithCornerRooks) {
    struct Case { const char *fen; int rights; };
    for (Case c : {Case{"r3k2r/8/8/8/8/8/8/R3K2R w HAha -", 15},  // Shredder letters for the standard squares
                   Case{"nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq -", 0},
                   Case{"r3k1r1/8/8/8/8/8/8/R3K1R1 w KQkq -", 2 | 8},  // g1, g8 are no corners
                   Case{"4k3/8/8/8/8/8/8/R2K3R w KQ -", 0}}) {       // nor is d1 the king's square
        setFen(c.fen);
        EXPECT_EQ(pos.castleRights, c.rights) << c.fen;
    }
}
