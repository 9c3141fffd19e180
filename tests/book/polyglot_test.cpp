// Polyglot books: the published key values, entries of books the tests
// write themselves and the weighted choice. Refused files are named
// through the binary (test_polyglot.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "book/polyglot.h"
#include "tests/support/board_helpers.h"

namespace fs = std::filesystem;

static const char *START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The key values published with the format, for positions given both as
// FEN and as the moves that reach them from the start.
TEST(PolyglotKey, PublishedValues) {
    struct Case { const char *fen; const char *moves; uint64_t key; };
    const Case cases[] = {
        {START_FEN, "", 0x463b96181691fc9cULL},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", "e2e4", 0x823c9b50fd114196ULL},
        {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6", "e2e4 d7d5", 0x0756b94461c50fb0ULL},
        {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq -", "e2e4 d7d5 e4e5", 0x662fafb965db29d4ULL},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6", "e2e4 d7d5 e4e5 f7f5", 0x22a48b5a8e47ff78ULL},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq -", "e2e4 d7d5 e4e5 f7f5 e1e2", 0x652a607ca3f242c1ULL},
        {"rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - -", "e2e4 d7d5 e4e5 f7f5 e1e2 e8f7",
         0x00fdd303c946bdd9ULL},
        {"rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3", "a2a4 b7b5 h2h4 b5b4 c2c4",
         0x3c8123ea7b067637ULL},
        {"rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq -", "a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3",
         0x5c3f9b829b279560ULL},
    };
    for (const Case &c : cases) {
        setFen(c.fen);
        EXPECT_EQ(polyglotKey(), c.key) << c.fen;
        setFen(START_FEN);
        playMoves(c.moves);
        EXPECT_EQ(polyglotKey(), c.key) << "after " << c.moves;
    }
}

/// A book move from coordinate text: "e7e8" plus a promotion digit 1-4
/// (knight to queen) as a fifth character.
static uint16_t bookMove(const char *text) {
    int fromFile = text[0] - 'a', fromRow = text[1] - '1', toFile = text[2] - 'a', toRow = text[3] - '1';
    int promotion = text[4] ? text[4] - '0' : 0;
    return uint16_t(promotion << 12 | fromRow << 9 | fromFile << 6 | toRow << 3 | toFile);
}

struct TestEntry {
    uint64_t key;
    uint16_t move;
    uint16_t weight;
};

/// A path for a file of this test in the temporary directory.
static std::string tempPath(const std::string &name) {
    return (fs::temp_directory_path() / ("quor_polyglot_" + std::to_string(getpid()) + "_" + name)).string();
}

/// Writes the entries as a book file, in the given order.
static std::string writeBook(const std::string &name, const std::vector<TestEntry> &entries) {
    std::string path = tempPath(name);
    std::ofstream out(path, std::ios::binary);
    for (const TestEntry &entry : entries) {
        unsigned char bytes[16] = {};
        for (int i = 0; i < 8; i++) bytes[i] = uint8_t(entry.key >> (56 - 8 * i));
        bytes[8] = uint8_t(entry.move >> 8), bytes[9] = uint8_t(entry.move);
        bytes[10] = uint8_t(entry.weight >> 8), bytes[11] = uint8_t(entry.weight);
        out.write(reinterpret_cast<const char *>(bytes), 16);
    }
    return path;
}

static uint64_t keyOf(const char *fen) {
    setFen(fen);
    return polyglotKey();
}

/// The candidates of the position as "move:weight" texts, heaviest first.
static std::vector<std::string> candidateTexts(const char *fen) {
    setFen(fen);
    PolyglotCandidate candidates[POLYGLOT_MAX_CANDIDATES];
    int count = polyglotCandidates(candidates);
    std::vector<std::string> texts;
    for (int i = 0; i < count; i++)
        texts.push_back(std::string(moveToText(candidates[i].move)) + ":" + std::to_string(candidates[i].weight));
    return texts;
}

static const char *CASTLING_FEN = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
static const char *BLACK_CASTLING_FEN = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -";
static const char *NO_SHORT_CASTLING_FEN = "r3k2r/8/8/8/8/8/5r2/R3K2R w KQk -";  // f1 attacked
static const char *PROMOTION_FEN = "4k3/1P6/8/8/8/8/8/4K3 w - -";

class PolyglotBookTest : public ::testing::Test {
protected:
    /// A book of several positions, written sorted by key as books are.
    std::string smallBook() {
        std::vector<TestEntry> entries = {
            // Start position: three moves with weights, one listed twice
            // (the first entry counts), one illegal, one that is no move.
            {keyOf(START_FEN), bookMove("d2d4"), 50},
            {keyOf(START_FEN), bookMove("e2e4"), 100},
            {keyOf(START_FEN), bookMove("e2e5"), 900},
            {keyOf(START_FEN), bookMove("g1f3"), 25},
            {keyOf(START_FEN), bookMove("a1a1"), 700},
            {keyOf(START_FEN), bookMove("e2e4"), 800},
            {keyOf(START_FEN), bookMove("e7e5"), 800},  // Black's move, not White's
            // Castling written as the king taking its rook; a king move
            // with a promotion piece is no move.
            {keyOf(CASTLING_FEN), bookMove("e1h1"), 30},
            {keyOf(CASTLING_FEN), bookMove("e1a1"), 20},
            {keyOf(CASTLING_FEN), bookMove("e1f1"), 10},
            {keyOf(CASTLING_FEN), bookMove("e1f14"), 500},
            {keyOf(BLACK_CASTLING_FEN), bookMove("e8a8"), 7},
            {keyOf(BLACK_CASTLING_FEN), bookMove("e8g8"), 9},  // the king's square, not the rook's
            {keyOf(NO_SHORT_CASTLING_FEN), bookMove("e1h1"), 40},  // through an attacked square
            {keyOf(NO_SHORT_CASTLING_FEN), bookMove("e1a1"), 5},
            // Promotions: queen and knight; a push to the last row without
            // a piece is not a move.
            {keyOf(PROMOTION_FEN), bookMove("b7b84"), 60},
            {keyOf(PROMOTION_FEN), bookMove("b7b81"), 15},
            {keyOf(PROMOTION_FEN), bookMove("b7b8"), 99},
        };
        std::stable_sort(entries.begin(), entries.end(),
                         [](const TestEntry &a, const TestEntry &b) { return a.key < b.key; });
        return writeBook("small.bin", entries);
    }

    void TearDown() override {
        polyglotClose();
        fs::remove(tempPath("small.bin"));
    }
};

TEST_F(PolyglotBookTest, LegalMovesOfEachPositionWithTheirWeights) {
    ASSERT_EQ(polyglotOpen(smallBook().c_str()), nullptr);
    EXPECT_EQ(polyglotBook.entryCount, 18u);
    struct Case { const char *fen; std::vector<std::string> candidates; };
    const Case cases[] = {
        {START_FEN, {"e2e4:100", "d2d4:50", "g1f3:25"}},
        {CASTLING_FEN, {"e1g1:30", "e1c1:20", "e1f1:10"}},
        {BLACK_CASTLING_FEN, {"e8c8:7"}},
        {NO_SHORT_CASTLING_FEN, {"e1c1:5"}},
        {PROMOTION_FEN, {"b7b8Q:60", "b7b8N:15"}},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", {}},  // not in the book
    };
    for (const Case &c : cases) EXPECT_EQ(candidateTexts(c.fen), c.candidates) << c.fen;
    // Castling entries become the engine's castling moves: the rook comes along.
    setFen(CASTLING_FEN);
    PolyglotCandidate candidates[POLYGLOT_MAX_CANDIDATES];
    ASSERT_EQ(polyglotCandidates(candidates), 3);
    ASSERT_TRUE(makeMove(candidates[1].move));
    EXPECT_EQ(pos.board[sq("d1")], makePiece(WHITE, ROOK));
    unmakeMove();
}

TEST(PolyglotChoice, FollowsTheWeights) {
    const PolyglotCandidate candidates[] = {{1, 400}, {2, 200}, {3, 100}, {4, 0}, {5, 300}};
    std::srand(12345);
    std::map<Move, int> counts;
    const int draws = 100000;
    for (int i = 0; i < draws; i++) counts[polyglotChoose(candidates, 5)]++;
    // Expected shares 0.4, 0.2, 0.1, 0, 0.3; the standard deviation of a
    // count is below 160, so 1500 is more than nine of them.
    EXPECT_NEAR(counts[1], 40000, 1500);
    EXPECT_NEAR(counts[2], 20000, 1500);
    EXPECT_NEAR(counts[3], 10000, 1500);
    EXPECT_EQ(counts[4], 0);  // weight 0: never played
    EXPECT_NEAR(counts[5], 30000, 1500);
    EXPECT_EQ(counts[0], 0);
    const PolyglotCandidate zero[] = {{1, 0}, {2, 0}};
    EXPECT_EQ(polyglotChoose(zero, 2), 0u);
    EXPECT_EQ(polyglotChoose(zero, 0), 0u);
}
