// Castling with any king and rook files: which castlings are generated and
// legal, where king and rook end, the check they give, and taking them back.
#include <gtest/gtest.h>

#include <string>

#include "board/castling.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

static std::string fenOfPosition() {
    char buffer[100];
    writeFen(buffer);
    return buffer;
}

TEST(Castling, KingAndRookEndOnTheStandardSquaresFromAnyFiles) {
    Chess960Game chess960Game;
    // Castling is written as the king moving onto its rook; the expected
    // squares and checks are worked out by hand.
    struct Case { const char *fen, *move, *king, *rook; int checkState; };
    for (Case c : {
             Case{"1r4kr/8/8/8/8/8/8/1R4KR w HBhb -", "g1h1", "g1", "f1", NOT_IN_CHECK},  // the king stays
             Case{"1r4kr/8/8/8/8/8/8/1R4KR w HBhb -", "g1b1", "c1", "d1", NOT_IN_CHECK},  // through f1, e1, d1
             Case{"r1k4r/8/8/8/8/8/8/R1K4R w HAha -", "c1a1", "c1", "d1", NOT_IN_CHECK},  // the king stays
             Case{"1rk3r1/8/8/8/8/8/6P1/1RK3R1 w GBgb -", "c1g1", "g1", "f1", NOT_IN_CHECK},  // onto the rook's square
             Case{"3rkr2/8/8/8/8/8/3P1P2/3RKR2 w FDfd -", "e1d1", "c1", "d1", NOT_IN_CHECK},  // the rook stays
             Case{"3rkr2/8/8/8/8/8/3P1P2/3RKR2 w FDfd -", "e1f1", "g1", "f1", NOT_IN_CHECK},
             Case{"rk5r/8/8/8/8/8/8/RK5R w HAha -", "b1a1", "c1", "d1", NOT_IN_CHECK},  // the king goes right
             Case{"2rk2r1/8/8/8/8/8/2P5/2RK2R1 w GCgc -", "d1c1", "c1", "d1", sq("d1")},  // they swap; d8 in check
             Case{"1r3kr1/8/8/8/8/8/6P1/1R3KR1 w GBgb -", "f1g1", "g1", "f1", sq("f1")},
             Case{"1r3kr1/8/8/8/8/8/8/1R3KR1 b GBgb -", "f8b8", "c8", "d8", NOT_IN_CHECK},  // Black alike
             Case{"5k2/8/8/8/8/8/b7/1R4K1 w B -", "g1b1", "c1", "d1", NOT_IN_CHECK},  // the rook may stand attacked
             Case{"3k4/8/8/8/8/8/8/1R4K1 w B -", "g1b1", "c1", "d1", sq("d1")},       // a check up the d-file
             Case{"8/8/8/8/8/8/8/k5KR w H -", "g1h1", "g1", "f1", sq("f1")},          // and along the first rank
             Case{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1h1", "g1", "f1", NOT_IN_CHECK}}) {
        setFen(c.fen);
        std::string before = fenOfPosition();
        Move move = findMove(c.move);
        ASSERT_TRUE(move & MF_CASTLE) << c.fen << " " << c.move;
        ASSERT_TRUE(makeMove(move)) << c.fen << " " << c.move;
        int side = pos.otherSide;
        EXPECT_EQ(pos.kingSquare[side], sq(c.king)) << c.fen << " " << c.move;
        EXPECT_EQ(pos.board[sq(c.rook)], makePiece(side, ROOK)) << c.fen << " " << c.move;
        EXPECT_EQ(pos.castleRights & (3 << 2 * side), 0) << c.fen << " " << c.move;
        EXPECT_EQ(pos.checkState[pos.gamePly], c.checkState) << c.fen << " " << c.move;
        EXPECT_EQ(positionFault(), nullptr) << c.fen << " " << c.move;
        unmakeMove();
        EXPECT_EQ(fenOfPosition(), before) << c.move;
        EXPECT_EQ(positionFault(), nullptr) << c.fen << " " << c.move;
    }
}

TEST(Castling, RefusedWhenBlockedInCheckOrThroughAnAttack) {
    Chess960Game chess960Game;
    struct Case { const char *fen, *move; bool generated; };
    for (Case c : {Case{"5k2/8/8/8/8/8/8/qR4K1 w B -", "g1b1", true},     // c1 attacked once b1 is empty
                   Case{"4k3/8/8/8/8/8/8/rR3K2 w B -", "f1b1", true},     // so are the crossed e1 and d1
                   Case{"4k3/8/8/8/7b/8/8/1R3K2 w B -", "f1b1", true},    // the king crosses e1
                   Case{"4k3/8/8/8/8/7b/8/1R3K2 w B -", "f1b1", false},   // in check on f1
                   Case{"5k2/8/8/8/8/8/8/RK1N4 w A -", "b1a1", false},    // a knight on the rook's target
                   Case{"5k2/8/8/8/8/8/8/1RN2K2 w B -", "f1b1", false},   // a knight on the king's target
                   Case{"5k2/8/8/8/8/8/8/1R1N1K2 w B -", "f1b1", false},  // and on the rook's
                   Case{"5k2/8/8/8/8/8/8/R1N1K3 w A -", "e1a1", false}}) {  // a knight between rook and target
        setFen(c.fen);
        Move move = findMove(c.move);
        EXPECT_EQ(move != 0, c.generated) << c.fen;
        if (move) {
            EXPECT_FALSE(makeMove(move)) << c.fen;
        }
        EXPECT_EQ(pos.gamePly, 0) << c.fen;
    }
}

TEST(Castling, CastlingRightsFollowTheirOwnRook) {
    Chess960Game chess960Game;
    // The rooks on b1 and h1 each hold one right: moving one keeps the other.
    setFen("1r4kr/8/8/8/8/8/8/1R4KR w HBhb -");
    ASSERT_TRUE(playMoves("b1b2"));
    EXPECT_EQ(pos.castleRights, 1 | 4 | 8);
    ASSERT_TRUE(playMoves("b8b2"));
    EXPECT_EQ(pos.castleRights, 1 | 4);
    // The h1 rook takes on h8: White's right goes with it, Black's with
    // the rook taken.
    ASSERT_TRUE(playMoves("h1h8"));
    EXPECT_EQ(pos.castleRights, 0);
    EXPECT_EQ(positionFault(), nullptr);
}
