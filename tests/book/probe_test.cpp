// Probing the book: the position keys, the weights of the candidates worked
// out by hand, the display, the random choice, blocked moves, the variety
// limit of the opening, and damaged book files.

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "board/notation.h"
#include "board/position.h"
#include "book/learn.h"
#include "engine/settings.h"
#include "tests/book/book_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

/// Probes in play mode; 0 when the book gives no move.
Move playProbe() {
    Move move = 0;
    probeBook(&move, PROBE_PLAY);
    return move;
}

// Three moves from the initial position. Win/loss per thousand: e4 200,
// d4 -200, Nf3 500 (range 700); the largest learned value is 200 and the
// best search score 30.
const std::vector<BookEntry> THREE_MOVES = {
    {"e2e4", 100, 20},
    {"d2d4", 50, -10},
    {"g1f3", 10, 5, 4, 30, -200},
    {"c2c4", 4, 3},  // played fewer than five times and not scored: no candidate
};

const char *SHOW_HEADER = " Move\t[Weight, Frequency, Win/Loss, Learned]\n";

}  // namespace

// The keys books are written with: a book made by an earlier build must
// still be found.
TEST_F(BookTest, BookKeyFoldsInCastlingRightsAndTheEnPassantSquare) {
    struct Case { const char *fen, *moves; uint32_t folded; };  // castleKey ^ epKey
    const Case cases[] = {
        {nullptr, "", 0xD4055ADB},                                  // all four rights
        {nullptr, "e2e4", 0xD4055ADB},                              // e3, but no pawn can take there
        {nullptr, "e2e4 g8f6 e4e5 d7d5", 0xD4055ADB ^ 0xD7DDC875},  // d6
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQ - 0 1", "", 0xBF248AD3},     // rights 3
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "", 0},
        {"4k3/8/8/8/p7/8/1P6/4K3 w - - 0 1", "b2b4", 0xF4F8B20D},  // b3
    };
    for (const Case &c : cases) {
        startFen = c.fen ? c.fen : "";
        goTo(c.moves);
        EXPECT_EQ(bookKey() ^ uint32_t(pos.hashKey >> 32), c.folded) << startFen << " " << c.moves;
    }
}

TEST_F(BookTest, WeightsWorkedOutByHandAreShownAndPlayedInProportion) {
    writeBook(THREE_MOVES);
    openBook();
    ASSERT_TRUE(bookIsOpen());
    // e4: 100*360/100 + 0 + (200+200)*120/700 = 360 + 68.57 -> 428
    // d4: 50*360/100 = 180
    // Nf3: 36 + 75*120/75 + (700*120/700)*10/20 = 36 + 120 + 60 = 216; learned
    //      -200*400/200 = -400 would wipe it out, so it keeps 216 / 8 = 27.
    probeBook(nullptr, PROBE_SHOW);
    EXPECT_EQ(readCapture(), std::string(SHOW_HEADER) + " e4\t[428, 100, 20, 0]\n d4\t[180, 50, -10, 0]\n Nf3\t[27, 10, 5, -200]\n \n\n");
    // A move played in xboard comes after the candidates as a thinking
    // line; in UCI nothing is shown.
    goTo("");
    EXPECT_NE(playProbe(), 0u);
    EXPECT_EQ(readCapture(), "0 0 0 0 ( e4 d4 Nf3 )\n");
    options.optionFlags = OPT_UCI;
    std::map<Move, int> counts;  // of 3000 probes; only the largest random number, 1 in 32768, draws nothing
    for (int i = 0; i < 3000; i++) counts[playProbe()]++;
    EXPECT_EQ(readCapture(), "");
    EXPECT_LE(counts[0], 2);
    for (auto [move, weight, margin] : {std::tuple{"e2e4", 428, 0.04}, {"d2d4", 180, 0.04}, {"g1f3", 27, 0.02}})
        EXPECT_NEAR(counts[findMove(move)] / 3000.0, weight / 635.0, margin) << move;
    EXPECT_EQ(counts.size(), 4u) << "a move outside the candidates";
    // Fewer than five games make no candidate (c4 above), unless the search
    // scored the move.
    closeBook();
    writeBook({{"e2e4", 4, 4}, {"d2d4", 1, 1, 1, -20}});
    openBook();
    EXPECT_EQ(playProbe(), findMove("d2d4"));
}

TEST_F(BookTest, BlockedCandidateIsNotChosenAndCountsItsProbesDownInTheFile) {
    writeBook({{"e2e4", 100, 0, 0, 0, 0, 3}, {"d2d4", 20}});
    openBook();
    // "bk" only looks: the counter stays.
    probeBook(nullptr, PROBE_SHOW);
    EXPECT_NE(readCapture().find(" e4\t[0, 100, 0, 0]\n"), std::string::npos);
    EXPECT_EQ(recordAfter("e2e4").blockCount, 3);
    goTo("");
    for (int expected = 2; expected >= 0; expected--) {
        EXPECT_EQ(playProbe(), findMove("d2d4"));
        // Read from the file while the book is open: the byte was flushed.
        EXPECT_EQ(recordAfter("e2e4").blockCount, expected);
        goTo("");
    }
}

TEST_F(BookTest, EarlyInAGameFromTheStartOnlyPopularMovesBeyondTheThirdArePlayed) {
    // Weights frequency * 360 / 300. Beyond the third move a move needs 200
    // games at ply 0 and 160 after 1.e4 e5 (ply 2); from a set-up position
    // the limit does not apply.
    struct Case { const char *fen, *moves, *fourthToSixth; };
    const Case cases[] = {
        {"", "", " f4\t[240, 200, 0, 0]\n g3\t[0, 160, 0, 0]\n h3\t[0, 159, 0, 0]\n"},
        {"", "e2e4 e7e5", " f4\t[240, 200, 0, 0]\n g3\t[192, 160, 0, 0]\n h3\t[0, 159, 0, 0]\n"},
        {"rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2", "",
         " f4\t[240, 200, 0, 0]\n g3\t[192, 160, 0, 0]\n h3\t[190, 159, 0, 0]\n"},
    };
    const std::pair<const char *, uint32_t> moves[6] = {{"g1f3", 300}, {"b1c3", 250}, {"d2d4", 220},
                                                        {"f2f4", 200}, {"g2g3", 160}, {"h2h3", 159}};
    for (const Case &c : cases) {
        startFen = c.fen;
        std::string lines[6];
        std::vector<BookEntry> entries;
        for (int i = 0; i < 6; i++) lines[i] = std::string(c.moves) + " " + moves[i].first, entries.push_back({lines[i].c_str(), moves[i].second});
        writeBook(entries);
        openBook();
        goTo(c.moves);
        probeBook(nullptr, PROBE_SHOW);
        EXPECT_EQ(readCapture(), std::string(SHOW_HEADER) + " Nf3\t[360, 300, 0, 0]\n Nc3\t[300, 250, 0, 0]\n d4\t[264, 220, 0, 0]\n" +
                                     c.fourthToSixth + " \n\n") << c.fen << c.moves;
        closeBook();
    }
}

TEST_F(BookTest, DamagedTruncatedAndEmptyBooksNeverCrashTheEngine) {
    writeBook(THREE_MOVES);
    const std::string good = readText(BOOK_FILE_NAME);
    std::string everyBucketFar(good), hugeCounts(good), insideIndex(good), noise(300000, '\0');
    for (int i = 0; i < BOOK_BUCKETS; i++)
        everyBucketFar.replace(4 * i, 4, "\xff\xff\xff\x7f", 4), insideIndex.replace(4 * i, 4, "\x10\x00\x00\x00", 4);
    for (size_t at = BOOK_INDEX_BYTES; at + 4 <= hugeCounts.size(); at += 16) hugeCounts.replace(at, 4, "\xff\xff\xff\xff", 4);
    std::srand(5);
    for (char &c : noise) c = char(std::rand());
    const std::pair<const char *, std::string> cases[] = {
        {"empty", ""},
        {"half an index", good.substr(0, 70000)},
        {"last record cut", good.substr(0, good.size() - 7)},
        {"buckets beyond the end", everyBucketFar},
        {"counts beyond the end", hugeCounts},
        {"buckets inside the index", insideIndex},
        {"noise", noise},
    };
    timeControl.baseTime = 60000;
    options.optionFlags |= OPT_COMPUTER;
    for (const auto &[name, content] : cases) {
        SCOPED_TRACE(name);
        write(BOOK_FILE_NAME, content);
        write("source.bin", content);
        openBook();
        goTo("");
        Move move = playProbe();
        if (move) { EXPECT_EQ(move, findMove(std::string(moveToText(move)).c_str())); }
        probeBook(nullptr, PROBE_SHOW);
        mergeBook("source.bin", true);
        goTo("e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7");
        const int16_t scores[5] = {};
        learnFromGame(4, scores, 1);
        EXPECT_EQ(pos.gamePly, 10);
        closeBook();
    }
    std::remove(BOOK_FILE_NAME);
    ASSERT_TRUE(std::filesystem::create_directory(BOOK_FILE_NAME));
    openBook();
    EXPECT_FALSE(bookIsOpen()) << "a folder in the book's place cannot be read";
}
