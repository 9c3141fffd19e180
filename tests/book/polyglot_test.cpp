// Polyglot books: the published key values, entries of a book the test
// writes itself and the weighted choice. Refused files are named through
// the binary (tests/protocol/test_book.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "board/notation.h"
#include "board/position.h"
#include "book/polyglot.h"
#include "tests/support/board_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

const char *START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The key values published with the format (the start position is checked
// through the binary): en-passant files count only
// where a pawn can take, castling rights one by one.
TEST(PolyglotKey, PublishedValues) {
    const std::pair<const char *, uint64_t> cases[] = {
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6", 0x22a48b5a8e47ff78ULL},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq -", 0x652a607ca3f242c1ULL},
        {"rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3", 0x3c8123ea7b067637ULL},
        {"rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq -", 0x5c3f9b829b279560ULL},
    };
    for (const auto &[fen, key] : cases) {
        setFen(fen);
        EXPECT_EQ(polyglotKey(), key) << fen;
    }
}

/// A book entry of the position `fen`: the big-endian key, the move from
/// coordinate text ("e7e8" plus a promotion digit 1-4, knight to queen, as
/// a fifth character) and the weight; no learning field.
std::string bookEntry(const char *fen, const char *move, uint16_t weight) {
    setFen(fen);
    uint64_t key = polyglotKey();
    int promotion = move[4] ? move[4] - '0' : 0;
    uint16_t code = uint16_t(promotion << 12 | (move[1] - '1') << 9 | (move[0] - 'a') << 6 | (move[3] - '1') << 3 | (move[2] - 'a'));
    std::string bytes(16, '\0');
    for (int i = 0; i < 8; i++) bytes[i] = char(key >> (56 - 8 * i));
    bytes[8] = char(code >> 8), bytes[9] = char(code), bytes[10] = char(weight >> 8), bytes[11] = char(weight);
    return bytes;
}

TEST(PolyglotBook, LegalMovesOfEachPositionWithTheirWeights) {
    const char *castling = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", *promotion = "4k3/1P6/8/8/8/8/8/4K3 w - -";
    std::vector<std::string> entries = {
        // Start position: three moves with weights, one listed twice (the
        // first entry counts), one illegal and one that is no move.
        bookEntry(START_FEN, "d2d4", 50), bookEntry(START_FEN, "e2e4", 100), bookEntry(START_FEN, "e2e5", 900),
        bookEntry(START_FEN, "g1f3", 25), bookEntry(START_FEN, "a1a1", 700), bookEntry(START_FEN, "e2e4", 800),
        // Castling written as the king taking its rook, beside a plain king
        // move; a king move with a promotion piece is no move.
        bookEntry(castling, "e1h1", 30), bookEntry(castling, "e1a1", 20), bookEntry(castling, "e1f1", 10),
        bookEntry(castling, "e1f14", 500),
        // Promotions: queen and knight; a push to the last row without a
        // piece is not a move.
        bookEntry(promotion, "b7b84", 60), bookEntry(promotion, "b7b81", 15), bookEntry(promotion, "b7b8", 99),
    };
    // Sorted by key, as books are.
    std::stable_sort(entries.begin(), entries.end(), [](const std::string &a, const std::string &b) { return a.compare(0, 8, b, 0, 8) < 0; });
    ScratchDirectory scratch;
    ASSERT_NO_FATAL_FAILURE(makeScratchDirectory(scratch, "polyglot", false));
    std::string file;
    for (const std::string &entry : entries) file += entry;
    writeScratchFile(scratch, "small.bin", file);
    ASSERT_EQ(polyglotOpen((scratch.path + "/small.bin").c_str()), nullptr);
    const std::pair<const char *, std::vector<std::string>> cases[] = {
        {START_FEN, {"e2e4:100", "d2d4:50", "g1f3:25"}},
        {castling, {"e1g1:30", "e1c1:20", "e1f1:10"}},
        {promotion, {"b7b8Q:60", "b7b8N:15"}},
    };
    for (const auto &[fen, expected] : cases) {
        setFen(fen);
        PolyglotCandidate candidates[POLYGLOT_MAX_CANDIDATES];
        int count = polyglotCandidates(candidates);
        std::vector<std::string> texts;
        for (int i = 0; i < count; i++) {
            std::string text = moveToText(candidates[i].move);
            EXPECT_EQ(candidates[i].move, findMove(text.c_str())) << "the generator's move, flags and all";
            texts.push_back(text + ":" + std::to_string(candidates[i].weight));
        }
        EXPECT_EQ(texts, expected) << fen;
    }
    polyglotClose();
    removeScratchDirectory(scratch);
}

TEST(PolyglotChoice, FollowsTheWeights) {
    const PolyglotCandidate candidates[] = {{1, 400}, {2, 200}, {3, 100}, {4, 0}, {5, 300}}, zero[] = {{1, 0}, {2, 0}};
    std::srand(12345);
    std::map<Move, int> counts;
    for (int i = 0; i < 100000; i++) counts[polyglotChoose(candidates, 5)]++;
    // Expected shares 0.4, 0.2, 0.1, none for weight 0, 0.3, and never no
    // move; the standard deviation of a count is below 160, so 1500 is more
    // than nine of them.
    const int expected[6] = {0, 40000, 20000, 10000, 0, 30000};
    for (Move move = 0; move < 6; move++) EXPECT_NEAR(counts[move], expected[move], expected[move] ? 1500 : 0) << move;
    EXPECT_EQ(polyglotChoose(zero, 2), 0u);
}

}  // namespace
