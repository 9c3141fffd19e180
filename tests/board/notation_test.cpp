// FEN reading and writing, coordinate and algebraic move text.
#include <gtest/gtest.h>

#include <string>

#include "board/makemove.h"
#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

static std::string fenOfPosition() {
    char buffer[100];
    writeFen(buffer);
    return buffer;
}

TEST(Fen, TwoBareKings) {
    setFen("4k3/8/8/8/8/8/8/4K3 w - -");
    EXPECT_EQ(pos.kingSquare[WHITE], sq("e1"));
    EXPECT_EQ(pos.kingSquare[BLACK], sq("e8"));
    EXPECT_EQ(pos.sideToMove, WHITE);
    EXPECT_EQ(pos.castleRights, 0);
    EXPECT_EQ(pos.epSquare, NO_EP_SQUARE);
    EXPECT_EQ(pos.pieceTotal, 2);
    EXPECT_EQ(positionFault(), nullptr);
}

TEST(Fen, RoundTripsOfReferencePositions) {
    const char *fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
        "4k3/8/8/8/4P3/8/8/4K3 b - e3",
    };
    for (const char *fen : fens) {
        setFen(fen);
        EXPECT_EQ(fenOfPosition(), std::string(fen) + " 0 1");
    }
}

TEST(Fen, MalformedOrUnplayablePlacementsLeaveThePositionAlone) {
    setFen("4k3/8/8/8/8/8/8/4K3 w - -");
    const char *refused[] = {
        "4k3/8/8/8/8/8/4K3 w - -",             // seven rows
        "4k3/8/8/8/8/8/8/4K3/8 w - -",         // nine rows
        "4k3/8/8/8/8/8/8/8 w - -",             // no white king
        "4k3/8/8/8/8/8/8/3KK3 w - -",          // two white kings
        "P3k3/8/8/8/8/8/8/4K3 w - -",          // a pawn on the eighth rank
        "4k3/8/8/8/8/8/8/p3K3 w - -",          // a pawn on the first rank
        "4k3/8/8/8/8/8/8/4R1K1 w - -",         // Black, not to move, in check
        "4k3/8/8/8/8/8/8/4K39 w - -",          // too many squares
    };
    for (const char *fen : refused) {
        EXPECT_FALSE(readFen(fen)) << fen;
        EXPECT_EQ(fenOfPosition(), "4k3/8/8/8/8/8/8/4K3 w - - 0 1") << fen;
    }
}

TEST(Fen, SideCastlingAndEnPassantFields) {
    setFen("r3k2r/8/8/8/8/8/8/R3K2R b");
    EXPECT_EQ(pos.sideToMove, BLACK);
    EXPECT_EQ(pos.castleRights, 15);  // the field is missing
    setFen("r3k2r/8/8/8/8/8/8/R3K2R b -");
    EXPECT_EQ(pos.castleRights, 0);
    setFen("r3k2r/8/8/8/8/8/8/R3K2R w Qk -");
    EXPECT_EQ(pos.castleRights, 2 | 4);
    // Rights whose king or rook is not at home are dropped.
    setFen("r3k3/8/8/8/8/8/8/4K2R w KQkq -");
    EXPECT_EQ(pos.castleRights, 1 | 8);
    setFen("4k3/8/8/8/8/8/8/R4K1R w KQ -");
    EXPECT_EQ(pos.castleRights, 0);
    // An en-passant square needs the pawn that could just have passed it.
    setFen("4k3/8/8/8/4P3/8/8/4K3 b - e3");
    EXPECT_EQ(pos.epSquare, sq("e3"));
    setFen("4k3/8/8/8/4P3/8/8/4K3 w - e3");
    EXPECT_EQ(pos.epSquare, NO_EP_SQUARE);
    setFen("4k3/8/8/8/8/8/8/4K3 b - e3");
    EXPECT_EQ(pos.epSquare, NO_EP_SQUARE);
    setFen("4k3/8/8/8/4P3/4B3/8/4K3 b - e3");
    EXPECT_EQ(pos.epSquare, NO_EP_SQUARE);
    setFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 12");
    EXPECT_EQ(pos.epSquare, sq("d6"));
    EXPECT_EQ(pos.fiftyCount, 0);  // the counters are not read
    EXPECT_EQ(pos.gamePly, 0);
}

TEST(MoveText, CoordinateNotation) {
    setFen("k7/4P3/8/8/8/8/8/4K3 w - -");
    Move knightPromotion = findMove("e7e8n");
    ASSERT_NE(knightPromotion, 0u);
    EXPECT_STREQ(moveToText(knightPromotion), "e7e8N");
    EXPECT_STREQ(moveToUci(knightPromotion), "e7e8n");
    EXPECT_STREQ(moveToText(0), "a8a8");
}

TEST(MoveText, AlgebraicNotationDisambiguates) {
    setFen("4k3/8/8/8/8/5N2/8/1N2K3 w - -");
    EXPECT_STREQ(moveToSan(findMove("f3d2")), "Nfd2");
    setFen("4k3/8/8/4N3/8/8/8/4NK2 w - -");
    EXPECT_STREQ(moveToSan(findMove("e5d3")), "N5d3");
    setFen("4k3/8/8/8/8/8/4K3/R6R w - -");
    EXPECT_STREQ(moveToSan(findMove("a1d1")), "Rad1");
    EXPECT_STREQ(moveToSan(findMove("a1a8")), "Ra8");
    setFen("4k3/8/8/8/8/8/8/R3K2R w - -");
    EXPECT_STREQ(moveToSan(findMove("a1d1")), "Rd1");  // the king keeps h1 from d1
    setFen("4k3/8/8/8/8/8/8/Q2QK3 w - -");
    EXPECT_STREQ(moveToSan(findMove("d1d4")), "Qdd4");
    setFen("4k3/8/8/8/8/8/1P6/Q2QK3 w - -");
    EXPECT_STREQ(moveToSan(findMove("d1d4")), "Qd4");  // b2 blocks the a1 queen
    setFen("4k3/8/8/8/8/8/8/Q2QK2Q w - -");
    EXPECT_STREQ(moveToSan(findMove("d1d4")), "Qdd4");  // h1 does not reach d4
}

TEST(MoveText, AlgebraicCapturesCastlingAndPromotions) {
    setFen("r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6");
    EXPECT_STREQ(moveToSan(findMove("e5d6")), "exd6");
    EXPECT_STREQ(moveToSan(findMove("b7a8q")), "bxa8=Q");
    EXPECT_STREQ(moveToSan(findMove("b7b8n")), "b8=N");
    EXPECT_STREQ(moveToSan(findMove("e1g1")), "O-O");
    EXPECT_STREQ(moveToSan(findMove("e1c1")), "O-O-O");
    EXPECT_STREQ(moveToSan(findMove("a1a8")), "Rxa8");
    EXPECT_STREQ(moveToSan(findMove("e1e2")), "Ke2");
}
