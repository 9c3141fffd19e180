// Book creation from PGN: the records a small collection gives, worked out
// by hand, the ways a game ends early, the file layouts that databases
// write, and the reading of moves in standard algebraic notation.

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "board/notation.h"
#include "board/position.h"
#include "book/create.h"
#include "tests/book/book_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

std::string game(const char *result, const std::string &movetext) {
    return std::string("[Event \"?\"]\n[White \"A\"]\n[Black \"B\"]\n[Result \"") + result + "\"]\n\n" + movetext +
           "\n\n";
}

// Barden - Adams, Hastings 1951: 27 moves, no repeated position; "15." and
// its move stand on different lines.
const char *LONG_GAME =
    "1.e4 e5 2.Nf3 Nc6 3.Bc4 Nf6 4.Ng5 d5 5.exd5 Nxd5 6.d4 Bb4+ 7.c3 Be7 8.Nxf7\n"
    "Kxf7 9.Qf3+ Ke6 10.Qe4 Bf8 11.O-O Ne7 12.f4 c6 13.fxe5 Kd7 14.Be2 Ke8 15.\n"
    "c4 Nc7 16.Nc3 Be6 17.Bg5 Qd7 18.Rad1 Rc8 19.Bxe7 Qxe7 20.d5 Qc5+ 21.Kh1 \n"
    "cxd5 22.cxd5 Bd7 23.e6 Bb5 24.Qf4 Kd8 25.Bxb5 Nxb5 26.Nxb5 Qxb5 27.d6 1-0";

}  // namespace

TEST_F(BookTest, SmallCollectionGivesTheCountsAndResultsWorkedOutByHand) {
    write("games.pgn", game("1-0", "1. e4 e5 2. Nf3 Nc6 1-0") + game("0-1", "1. e4 c5 0-1") +
                           game("1/2-1/2", "1. e4 e5 2. Nf3 Nf6 1/2-1/2") + game("*", "1. d4 *"));
    createBook("games.pgn");
    EXPECT_EQ(readBook().size(), 7u);
    // Frequency, then win/loss for the side that made the move into the
    // position: White +1 -1 0 after 1.e4; Black -1 (1-0) and 0 after 1...e5.
    const std::tuple<const char *, uint32_t, int16_t> cases[] = {
        {"e2e4", 3, 0}, {"e2e4 e7e5", 2, -1}, {"e2e4 e7e5 g1f3", 2, 1}, {"e2e4 e7e5 g1f3 b8c6", 1, -1},
        {"e2e4 c7c5", 1, 1}, {"e2e4 e7e5 g1f3 g8f6", 1, 0}, {"d2d4", 1, 0}};
    for (const auto &[moves, frequency, winLoss] : cases) {
        const BookRecord r = recordAfter(moves);  // the move number kept while collecting is cleared
        EXPECT_EQ(std::tuple(r.frequency, r.winLoss, int(r.scoredDepth)), std::tuple(frequency, winLoss, 0)) << moves;
    }
}

TEST_F(BookTest, PositionsAfterMoveNineteenNeedTwoGamesAndNothingAfterMoveTwentyFiveIsRead) {
    // One game: plies 1..39 were first reached before move 20 and are kept;
    // plies 40..50 (moves 20 to 25) were reached once and are dropped.
    write("once.pgn", game("1-0", LONG_GAME));
    createBook("once.pgn");
    EXPECT_EQ(readBook().size(), 39u);
    // Twice, once with CRLF line ends and once on one line of about 300
    // characters led by blanks: every one of the 50 plies up to Black's 25th
    // move (25 won, 25 lost), none after "26.".
    write("twice.pgn", game("1-0", std::regex_replace(LONG_GAME, std::regex("\n"), "\r\n")) +
                           game("1-0", "   " + std::regex_replace(LONG_GAME, std::regex("\n"), " ")));
    createBook("twice.pgn");
    EXPECT_EQ(readCapture().find("Error"), std::string::npos);
    std::map<std::pair<uint32_t, int>, int> kinds;  // frequency, win/loss
    for (const BookRecord &record : readBook()) kinds[{record.frequency, record.winLoss}]++;
    EXPECT_EQ(kinds, (std::map<std::pair<uint32_t, int>, int>{{{2, -2}, 25}, {{2, 2}, 25}}));
}

TEST_F(BookTest, GamesEndAtACommentQuietlyAtARepetitionAndAtResultTokensAndFailedCreationKeepsTheOldBook) {
    // A long comment also pushes the last game past the 2048-byte movetext
    // buffer: what fits is read and shown, cut at a blank.
    std::string words;
    while (words.size() < 2100) words += " abc";
    write("games.pgn", game("1-0", "1. e4 {best by test} e5 2. Nf3 1-0") + game("0-1", "1. Nf3 Nf6 2. Ng1 Ng8 3. a3 0-1") +
                           game("1-0", "1. c4 e5 2. Nc3 Nc6 3. Nf3xxxxxx Nf6 1-0") +
                           game("1/2-1/2", "1. d4 d5 2. c4 1/2-1/2 3. Nc3") +
                           game("1-0", "1. b3 e5 {" + words + " } 2. Bb2 Nc6"));
    createBook("games.pgn");
    std::string output = readCapture();
    EXPECT_NE(output.find("Error processing game:\n1. e4 {best by test} e5 2. Nf3 1-0\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Error processing game:\n1. c4 e5 2. Nc3 Nc6 3. Nf3xxxxxx Nf6 1-0\n"), std::string::npos);
    EXPECT_EQ(output.find("Nf3 Nf6 2. Ng1"), std::string::npos) << "a repetition is no error";
    EXPECT_EQ(output.find("1. d4"), std::string::npos) << "the result token ends the moves";
    size_t start = output.find("Error processing game:\n1. b3");
    ASSERT_NE(start, std::string::npos);
    std::string shown = output.substr(start + 23, output.find('\n', start + 23) - start - 23);
    EXPECT_LT(shown.size(), 2048u);
    EXPECT_EQ(shown.substr(shown.size() - 4), " abc");
    // The moves before the comment and before the overlong token count;
    // 2...Ng8 brings back the initial position: the game stops there.
    for (const char *moves : {"e2e4", "c2c4 e7e5 b1c3 b8c6", "g1f3 g8f6 f3g1", "d2d4 d7d5 c2c4", "b2b3 e7e5"})
        EXPECT_TRUE(find(moves)) << moves;
    for (const char *moves : {"e2e4 e7e5", "g1f3 g8f6 f3g1 f6g8", "g1f3 g8f6 f3g1 f6g8 a2a3"})
        EXPECT_FALSE(find(moves)) << moves;
    EXPECT_EQ(readBook().size(), 13u);
    // A creation that fails leaves the old book in place.
    write(BOOK_FILE_NAME, "old book");
    ASSERT_TRUE(std::filesystem::create_directory("QuorBook.bin.new"));  // the new book cannot be written
    createBook("games.pgn");
    EXPECT_NE(readCapture().find("Cannot create book file 'QuorBook.bin'\n"), std::string::npos);
    EXPECT_EQ(readText(BOOK_FILE_NAME), "old book");
}

TEST_F(BookTest, SanMovesOfEveryForm) {
    const char *promotion = "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1";
    const std::tuple<const char *, const char *, const char *> cases[] = {  // FEN, SAN, coordinates ("": no move)
        {nullptr, "e4?!", "e2e4"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "exd6", "e5d6"},
        // Disambiguation by file, by rank, and by square.
        {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nbd2", "b1d2"},
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "R1a3", "a1a3"},
        {"1k6/8/8/8/4Q2Q/8/8/K6Q w - - 0 1", "Qe4xe1", "e4e1"},
        // Promotions with and without "=", quiet and capturing.
        {promotion, "b8=Q+", "b7b8q"},
        {promotion, "bxa8B", "b7a8b"},
        // Castling written with 0 (O-O is in the games above).
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "0-0-0", "e1c1"},
        // A pinned piece makes the move unambiguous: the knight on c3, found
        // first, is pinned to its king; a pinned rook still moves along the
        // pinning line.
        {"4k3/8/8/b7/8/2N3N1/8/4K3 w - - 0 1", "Ne4", "g3e4"},
        {"4r1k1/8/8/8/8/4R3/8/4K3 w - - 0 1", "Re6", "e3e6"},
        // Texts that name no move.
        {nullptr, "Qd4", ""},
        {nullptr, "Nxe9", ""},
        {nullptr, "exd", ""},
        {nullptr, "", ""},
    };
    for (const auto &[fen, san, expected] : cases) {
        setFen(fen ? fen : "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
        Move move = 0;
        bool parsed = parseSan(san, &move);
        if (*expected) { EXPECT_TRUE(parsed && move == findMove(expected)) << san; }  // the generator's move, flags and all
        else { EXPECT_FALSE(parsed && move == findMove(std::string(moveToText(move)).c_str())) << san; }
    }
}
