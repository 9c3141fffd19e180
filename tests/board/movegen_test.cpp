// Generation order, ordering scores and the special generators.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

/// The coordinate texts of the current ply's list, in list order.
static std::vector<std::string> listed() {
    std::vector<std::string> texts;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) texts.push_back(moveToText(entry->move));
    return texts;
}

static bool contains(const std::vector<std::string> &texts, const char *text) {
    for (const auto &t : texts)
        if (t == text) return true;
    return false;
}

TEST(MoveGeneration, StartPositionOrder) {
    setupPosition();
    genAllMoves();
    std::vector<std::string> expected = {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4",
                                         "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4", "b1c3", "b1a3", "g1h3", "g1f3"};
    EXPECT_EQ(listed(), expected);
}

TEST(MoveGeneration, PromotionsComeAsFourMovesQueenFirst) {
    setFen("r3k3/1P6/8/8/8/8/8/4K3 w - -");
    genAllMoves();
    MoveEntry *entries = plyMovesBegin();
    const char *texts[8] = {"b7a8Q", "b7a8R", "b7a8B", "b7a8N", "b7b8Q", "b7b8R", "b7b8B", "b7b8N"};
    // Queen 40, rook 32, bishop 24, knight 16, plus the rook taken (3).
    const int32_t scores[8] = {43, 35, 27, 19, 40, 32, 24, 16};
    for (int i = 0; i < 8; i++) {
        EXPECT_STREQ(moveToText(entries[i].move), texts[i]);
        EXPECT_EQ(entries[i].score, scores[i] | 0x2000000) << texts[i];
        EXPECT_TRUE(entries[i].move & MF_PROMO);
    }
    EXPECT_TRUE(entries[0].move & MF_CAPTURE);
    EXPECT_FALSE(entries[4].move & MF_CAPTURE);
}

TEST(MoveGeneration, CaptureScoresPreferCheapAttackersAndDearVictims) {
    // Pawn and queen can both take the rook on d5; the pawn also takes a knight.
    setFen("4k3/8/2n5/3r4/4P3/8/8/3QK3 w - -");
    genAllMoves();
    int32_t pawnTakesRook = 0, queenTakesRook = 0;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        std::string text = moveToText(entry->move);
        if (text == "e4d5") pawnTakesRook = entry->score;
        if (text == "d1d5") queenTakesRook = entry->score;
    }
    EXPECT_EQ(pawnTakesRook, (3 * 8 + 8 - 0) | 0x2000000);
    EXPECT_EQ(queenTakesRook, (3 * 8 + 8 - 4) | 0x2000000);
}

TEST(MoveGeneration, EnPassantOnlyWithAPawnToTakeIt) {
    setFen("4k3/8/8/8/4P3/8/8/4K3 b - e3");
    EXPECT_EQ(pos.epSquare, sq("e3"));
    genAllMoves();
    for (const auto &text : listed()) EXPECT_NE(text.substr(2, 2), "e3");
    setFen("4k3/8/8/8/3pP3/8/8/4K3 b - e3");
    genAllMoves();
    EXPECT_TRUE(contains(listed(), "d4e3"));
}

TEST(MoveGeneration, KnightCheckHasNoInterpositions) {
    setFen("r3k3/2b5/3N4/8/8/8/8/4K3 b - -");
    genEvasions();
    std::vector<std::string> expected = {"e8e7", "e8d8", "e8f8", "e8d7", "c7d6"};
    EXPECT_EQ(listed(), expected);
}

TEST(MoveGeneration, RookCheckIsBlockedOrTaken) {
    setFen("4r1k1/8/8/1B6/8/8/8/4K3 w - -");
    genEvasions();
    std::vector<std::string> expected = {"b5e2", "b5e8", "e1d1", "e1f1", "e1d2", "e1f2"};
    EXPECT_EQ(listed(), expected);
}

TEST(MoveGeneration, EvasionByEnPassantTakesTheCheckingPawn) {
    // The pawn that just came to d5 checks the king on e6... from below:
    // white king e4 is checked by the black pawn d5, taken by e5xd6.
    setFen("4k3/8/8/3pP3/4K3/8/8/8 w - d6");
    ASSERT_TRUE(inCheck());
    genEvasions();
    EXPECT_TRUE(contains(listed(), "e5d6"));
    EXPECT_TRUE(contains(listed(), "e4d5"));
}

TEST(MoveGeneration, QuietAndCaptureGeneratorsSplitTheMoves) {
    setFen("4k3/1P6/8/3pP3/8/8/8/4K2R w K d6");
    genQuietMoves();
    std::vector<std::string> quiet = listed();
    EXPECT_FALSE(contains(quiet, "b7b8Q"));
    EXPECT_FALSE(contains(quiet, "e5d6"));
    EXPECT_TRUE(contains(quiet, "e5e6"));
    EXPECT_TRUE(contains(quiet, "e1g1"));
    genCaptures();
    std::vector<std::string> captures = listed();
    EXPECT_TRUE(contains(captures, "b7b8Q"));
    EXPECT_TRUE(contains(captures, "b7b8N"));
    EXPECT_TRUE(contains(captures, "e5d6"));
    EXPECT_FALSE(contains(captures, "e5e6"));
    // Together they hold exactly the moves of genAllMoves.
    genAllMoves();
    EXPECT_EQ(listed().size(), quiet.size() + captures.size());
}

TEST(MoveGeneration, CastlingIsGeneratedAcrossAttackedSquaresAndRefusedThere) {
    setFen("4k3/8/b7/8/8/8/8/4K2R w K -");
    Move castle = findMove("e1g1");
    ASSERT_NE(castle, 0u);
    EXPECT_TRUE(castle & MF_CASTLE);
    EXPECT_FALSE(makeMove(castle));
}
