// The books in the engine's games: own book moves before any search, then
// Polyglot book moves, both under the book allowance and never into a
// repeated position; the bookkeeping for learning, "result" with learning,
// "bk" and OwnBook. Each test works in a folder of its own, where the book
// is built from a small PGN file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "board/position.h"
#include "book/bookfile.h"
#include "book/create.h"
#include "book/polyglot.h"
#include "engine/output.h"
#include "frontend/control.h"
#include "frontend/polyglotplay.h"
#include "search/state.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/board_helpers.h"
#include "tests/support/scratch_dir.h"

class BookPlay : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        makeScratchDirectory(scratch, "book-play", true);
        // Ten games of a Ruy Lopez won by White: every position of it is in
        // the book ten times, White's with win/loss +10.
        std::ofstream pgn("games.pgn");
        for (int i = 0; i < 10; i++)
            pgn << "[Event \"?\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 1-0\n\n";
        pgn.close();
        createBook("games.pgn");
        openBook();
        ASSERT_TRUE(bookIsOpen());
        // The Polyglot book, sorted by key, each entry of weight 1: 1.Nf3 in
        // the start position, 1...d5 after 1.d4.
        struct Entry { uint64_t key; uint16_t move; };
        setFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
        Entry start = {polyglotKey(), 6 << 6 | 2 << 3 | 5};  // g1f3
        setFen("rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq d3");
        Entry afterD4 = {polyglotKey(), 6 << 9 | 3 << 6 | 4 << 3 | 3};  // d7d5
        if (afterD4.key < start.key) std::swap(start, afterD4);
        std::string bytes;
        for (const Entry &entry : {start, afterD4}) {
            for (int shift = 56; shift >= 0; shift -= 8) bytes += char(entry.key >> shift);
            bytes += {char(entry.move >> 8), char(entry.move), 0, 1, 0, 0, 0, 0};
        }
        writeScratchFile(scratch, "polyglot.bin", bytes);
        newGame();
        usePolyglotBook("polyglot.bin");
        ASSERT_NE(polyglotBook.file, nullptr);
        printed();
    }

    void TearDown() override {
        usePolyglotBook("");
        closeBook();
        removeScratchDirectory(scratch);
        FrontendTest::TearDown();
    }

    ScratchDirectory scratch;
};

TEST_F(BookPlay, BookMovesAreNotedForLearningAndTheSearchTakesOverOutOfTheBookOrBeforeARepetition) {
    runSession("new\nsd 2\ngo\ne7e5\nquit\n");
    EXPECT_EQ(game.bookExitPly, 2);
    EXPECT_EQ(game.bookAllowance, 3);
    // Out of the book: a search, whose score is the first early score.
    game.earlyScores[0] = 12345;
    std::string output = runSession("d7d6\nquit\n");
    EXPECT_EQ(output.find("0 0 0 0"), std::string::npos);
    EXPECT_EQ(game.bookAllowance, 2);
    EXPECT_EQ(game.earlyScores[0], mainThread.previousScore);
    // After 1.e4 e5 2.Nf3 Nc6 3.Ng1 Nb8 the book's 2.Nf3 would bring back the
    // position after 2.Nf3.
    runSession("new\nforce\ne2e4\ne7e5\ng1f3\nb8c6\nf3g1\nc6b8\nsd 1\ngo\nquit\n");
    EXPECT_EQ(game.bookAllowance, 2) << "a search ran";
    EXPECT_EQ(game.bookExitPly, 0);
    EXPECT_EQ(pos.gamePly, 7);
}

TEST_F(BookPlay, ResultEndsTheGameAndPassesItsValueToLearningWhenOn) {
    struct Case { const char *line; bool learning; int result; };  // 99: nothing to learn from
    for (Case c : {Case{"result 1-0 {White mates}", true, 1}, Case{"result 0-1", true, -1}, Case{"result *", true, 0},
                   Case{"result 1/2-1/2", true, 0}, Case{"result", true, 99}, Case{"result 1-0", false, 99}}) {
        options.optionFlags = uint16_t(c.learning ? options.optionFlags | OPT_LEARN : options.optionFlags & ~OPT_LEARN);
        game.learnResult = 99;
        game.gameOver = false;
        send(c.line);
        EXPECT_EQ(game.pendingCommand, c.result == 99 ? 0u : CMD_LEARN) << c.line;
        EXPECT_EQ(game.learnResult, c.result) << c.line;
        EXPECT_TRUE(game.gameOver) << c.line;
    }
}

TEST_F(BookPlay, ResultAfterASlowWonGameRaisesTheEnginesBookMoves) {
    // The engine played White's first three moves from the book (plies 0 to
    // 4) and searched the rest; it won against a computer.
    runSession("new\nlevel 0 10 0\ncomputer\nforce\ne2e4\ne7e5\ng1f3\nb8c6\nf1b5\na7a6\nb5a4\ng8f6\ne1g1\nf8e7\n"
               "quit\n");
    game.bookExitPly = 4;
    std::memset(game.earlyScores, 0, sizeof game.earlyScores);
    options.optionFlags |= OPT_LEARN;
    runSession("result 1-0\nquit\n");
    EXPECT_EQ(pos.gamePly, 10);
    // Learned +2 (amount 2) for the last book move, 3.Bb5; "bk" shows it,
    // worth 2 * 400 / 100 more than the 360 of the games.
    runSession("new\nforce\ne2e4\ne7e5\ng1f3\nb8c6\nquit\n");
    EXPECT_NE(send("bk").find(" Bb5\t[368, 10, 10, 2]\n"), std::string::npos);
}

TEST_F(BookPlay, ThePolyglotBookAnswersWhereTheOwnBookHasNoMoveWhileTheAllowanceLasts) {
    // After 1.d4 the own book has no move and the Polyglot book 1...d5, which
    // "bk" shows but for during a search; after 1...d5 neither book has one.
    runSession("new\nforce\nd2d4\nquit\n");
    EXPECT_EQ(send("bk"), " Move\t[Weight, Share]\n d5\t[1, 100%]\n\n");
    searching = 1;
    EXPECT_EQ(send("bk"), "") << "not during a search";
    searching = 0;
    struct Case { uint8_t allowance; bool fromBook; uint8_t allowanceAfter; };
    for (Case c : {Case{3, true, 3}, Case{1, true, 3}, Case{0, false, 0}}) {
        runSession("new\nforce\nd2d4\nnopost\nsd 1\nquit\n");
        game.bookAllowance = c.allowance;
        std::string output = runSession("go\nquit\n");
        EXPECT_EQ(output == "0 0 0 0 ( d5 )\nmove d5\n", c.fromBook) << output;
        EXPECT_EQ(game.bookAllowance, c.allowanceAfter) << int(c.allowance);
    }
    runSession("new\nforce\nd2d4\nd7d5\nquit\n");
    EXPECT_EQ(send("bk"), "");
}

TEST_F(BookPlay, OwnBookSwitchesBothBooks) {
    runSession("uci\nsetoption name OwnBook value false\nquit\n");
    EXPECT_FALSE(bookIsOpen());
    EXPECT_EQ(polyglotBook.file, nullptr);
    EXPECT_NE(runSession("position startpos\ngo depth 1\nquit\n").find("info "), std::string::npos) << "a search";
    game.bookAllowance = 0;
    runSession("setoption name OwnBook value true\nquit\n");
    EXPECT_TRUE(bookIsOpen());
    EXPECT_NE(polyglotBook.file, nullptr);
    EXPECT_EQ(game.bookAllowance, 3);
    EXPECT_EQ(runSession("position startpos moves d2d4\ngo depth 1\nquit\n"), "bestmove d7d5\n");
}

TEST_F(BookPlay, ChessNineSixtyGamesNeitherAskNorTeachTheBooks) {
    // From the standard start, which both books know, a Chess960 game
    // searches; standard chess would play e4 from the book at once.
    std::string output = runSession("new\nvariant fischerandom\nsd 1\ngo\nquit\n");
    EXPECT_EQ(output.find("0 0 0 0"), std::string::npos) << output;
    EXPECT_NE(output.find("move "), std::string::npos) << output;
    EXPECT_EQ(send("bk"), "");
    options.optionFlags |= OPT_LEARN;
    game.pendingCommand = 0;
    send("result 1-0");
    EXPECT_EQ(game.pendingCommand, 0u);
    // The next game is standard chess again, with its book.
    EXPECT_EQ(runSession("new\ngo\nquit\n"), "0 0 0 0 ( e4 )\nmove e4\n");
}
