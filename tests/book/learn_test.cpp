// Changing the book in place: learning from won, lost and drawn games,
// the sign of the stored search scores, and merging two books.
#include <string>
#include <tuple>

#include "board/position.h"
#include "book/learn.h"
#include "engine/settings.h"
#include "tests/book/book_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

// A Ruy Lopez of ten plies. White's book moves are plies 0, 2, 4 (1.e4,
// 2.Nf3, 3.Bb5); Black's are plies 1, 3, 5.
const char *GAME = "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7";
const char *BOOK_LINES[6] = {"e2e4", "e2e4 e7e5 g1f3", "e2e4 e7e5 g1f3 b8c6 f1b5",
                             "e2e4 e7e5", "e2e4 e7e5 g1f3 b8c6", "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6"};

/// Learned value and block counter of the six book positions, White's first.
using Values = std::vector<std::pair<int, int>>;

class LearnTest : public BookTest {
protected:
    void SetUp() override {
        BookTest::SetUp();
        timeControl.baseTime = 60000;  // ten minutes a game: slow enough
        options.optionFlags |= OPT_COMPUTER;
    }

    /// Writes the book with these learned values, plays the game and learns.
    Values learn(const int16_t learned[6], int exitPly, std::vector<int16_t> scores, int result) {
        std::vector<BookEntry> entries;
        for (int i = 0; i < 6; i++) entries.push_back({BOOK_LINES[i], 10, 0, 0, 0, learned[i]});
        writeBook(entries);
        openBook();
        goTo(GAME);
        uint64_t finalKey = pos.hashKey;
        learnFromGame(exitPly, scores.data(), result);
        EXPECT_EQ(pos.hashKey, finalKey) << "the board is back at the end of the game";
        closeBook();
        Values values;
        for (const char *moves : BOOK_LINES) values.push_back({recordAfter(moves).learned, recordAfter(moves).blockCount});
        return values;
    }
};

}  // namespace

TEST_F(LearnTest, WonLostAndDrawnSlowGamesChangeTheEnginesBookMoves) {
    struct Case { const char *name; int16_t learned[6]; int exitPly; std::vector<int16_t> scores; int result; Values expected; };
    // Engine White leaving the book at ply 4, six plies before the end:
    // threshold -10, the score looked at is that of the second searched move.
    const Case cases[] = {
        // Won: amount 2 (doubled, a short game). Deltas 2 - (4 - k) / 2, at
        // least 1: 1, 1, 2.
        {"won", {}, 4, {0, 0, 0, 0, 0}, 1, {{1, 0}, {1, 0}, {2, 0}, {0, 0}, {0, 0}, {0, 0}}},
        // Won with scores above 40, the second 100 above the first: amount
        // 4; deltas 2, 3, 4.
        {"won clearly", {}, 4, {100, 200, 0, 0, 0}, 1, {{2, 0}, {3, 0}, {4, 0}, {0, 0}, {0, 0}, {0, 0}}},
        // Lost with falling scores: amount -2 - 1 - 1 = -4; deltas
        // (4 - k) / 2 - 4, at most -1: -2, -3, -4. The ply limit is 2: the
        // moves at plies 2 and 4 get blocked once and twice. 3 - 3 = 0
        // becomes -1.
        {"lost", {0, 3, 0}, 4, {-20, -100, 0, 0, 0}, -1, {{-2, 0}, {-1, 1}, {-4, 2}, {0, 0}, {0, 0}, {0, 0}}},
        // Drawn: nothing learned becomes -1, a negative value creeps up by
        // one, a positive one stays.
        {"drawn", {0, -5, 7}, 4, {0, 0, 0, 0, 0}, 0, {{-1, 0}, {-4, 0}, {7, 0}, {0, 0}, {0, 0}, {0, 0}}},
        // Engine Black leaving at ply 5, Black won: threshold -60; both
        // scores above -10 give amount 2 + 1 = 3; deltas 1, 2, 3.
        {"won as Black", {}, 5, {0, 0, 0, 0, 0}, -1, {{0, 0}, {0, 0}, {0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        // Learned values stay within 16 bits.
        {"saturated", {32767, 0, 0}, 4, {0, 0, 0, 0, 0}, 1, {{32767, 0}, {1, 0}, {2, 0}, {0, 0}, {0, 0}, {0, 0}}},
    };
    for (const Case &c : cases) EXPECT_EQ(learn(c.learned, c.exitPly, c.scores, c.result), c.expected) << c.name;
}

TEST_F(LearnTest, NothingIsLearnedFromFastGamesShortBookLinesOrWinsAgainstHumans) {
    const int16_t none[6] = {};
    const Values unchanged(6, {0, 0});
    struct Case { const char *name; uint16_t moves; uint32_t base; uint16_t increment; bool computer; int exitPly, result; bool learns;
                  const char *fen = ""; };
    const Case cases[] = {
        {"just under ten minutes", 0, 59999, 0, true, 4, 1, false},
        {"40 moves in 5 minutes + 3 s", 40, 30000, 300, true, 4, 1, true},
        {"fixed depth", 0, 0, 0, true, 4, 1, false},
        {"win against a human", 0, 60000, 0, false, 4, 1, false},
        {"loss against a human", 0, 60000, 0, false, 4, -1, true},
        {"book left at ply 3", 0, 60000, 0, true, 3, -1, false},
        {"four plies after the book", 0, 60000, 0, true, 6, 1, false},
        {"not from the initial position", 0, 60000, 0, true, 4, 1, false, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w Kkq - 0 1"},
    };
    for (const Case &c : cases) {
        timeControl.movesPerControl = c.moves;
        timeControl.baseTime = c.base;
        timeControl.increment = c.increment;
        options.optionFlags = uint16_t(c.computer ? OPT_XBOARD | OPT_COMPUTER : OPT_XBOARD);
        startFen = c.fen;
        EXPECT_EQ(learn(none, c.exitPly, {0, 0, 0, 0, 0}, c.result) != unchanged, c.learns) << c.name;
    }
}

TEST_F(BookTest, MergeTakesWhatTheBookLacksOrEverythingWithOverwrite) {
    // Scored depth, search score and learned value in the source and in the book.
    writeBook({{"e2e4", 10, 0, 5, 10, 0}, {"d2d4", 10, 0, 5, 10, -4}, {"c2c4", 10, 0, 0, 0, 9},
               {"g1f3", 10, 0, 6, 20, 9}, {"g2g3", 10, 0, 1, 1, 1}}, "source.bin");
    for (bool overwrite : {false, true}) {
        writeBook({{"e2e4", 20, 0, 0, 0, 0}, {"d2d4", 20, 0, 6, 5, 0}, {"c2c4", 20, 0, 4, 9, 2},
                   {"g1f3", 20, 0, 5, 8, -4}, {"b2b3", 20, 0, 1, 1, 1}});
        openBook();
        mergeBook("source.bin", overwrite);
        closeBook();
        const std::tuple<const char *, int, int, int> expected[] = {  // depth, score, learned
            {"e2e4", 5, 10, 0},                                   // scored only in the source
            {"d2d4", overwrite ? 5 : 6, overwrite ? 10 : 5, -4},  // deeper in the book
            {"c2c4", 4, 9, overwrite ? 9 : 2},                    // the source has no score
            {"g1f3", 6, 20, overwrite ? 9 : -4},                  // deeper in the source
            {"b2b3", 1, 1, 1},                                    // not in the source
        };
        for (const auto &[moves, depth, score, learned] : expected) {
            const BookRecord r = recordAfter(moves);
            EXPECT_EQ(std::tuple(int(r.scoredDepth), int(r.searchScore), int(r.learned), r.frequency), std::tuple(depth, score, learned, 20u))
                << moves << (overwrite ? " overwrite" : "");
        }
    }
}

TEST_F(BookTest, SearchScoresCountForTheSideThatChoosesTheMove) {
    // Qd8+ loses the queen to Rxd8; Qd5 keeps White a queen for a rook up
    // (h3 gives the king room against a mate on the back rank).
    startFen = "r5k1/5ppp/8/8/8/7P/5PP1/3Q2K1 w - - 0 1";
    writeBook({{"d1d8", 10}, {"d1d5", 10}});
    openBook();
    goTo("");
    ASSERT_TRUE(scoreBook(3));
    EXPECT_EQ(recordAfter("d1d8").searchScore, -128);
    EXPECT_EQ(recordAfter("d1d5").searchScore, 127);
}
