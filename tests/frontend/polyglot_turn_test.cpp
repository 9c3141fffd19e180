// The Polyglot book beside the engine's own book: the own book is asked
// first, the Polyglot book when the own book has no move; both follow the
// book allowance, "bk" shows the book that has candidates, and OwnBook
// switches both.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "board/position.h"
#include "book/bookfile.h"
#include "book/create.h"
#include "book/polyglot.h"
#include "frontend/control.h"
#include "frontend/polyglotplay.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/board_helpers.h"

class PolyglotTurn : public FrontendTest {
protected:
    std::string directory, previousDirectory;

    void SetUp() override {
        FrontendTest::SetUp();
        char buffer[4096];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        previousDirectory = buffer;
        char pattern[] = "/tmp/quor-polyglot-turn-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        ASSERT_EQ(chdir(directory.c_str()), 0);
        // The own book knows 1.e4 e5 only.
        std::ofstream pgn("games.pgn");
        for (int i = 0; i < 10; i++) pgn << "[Event \"?\"]\n[Result \"1-0\"]\n\n1. e4 e5 1-0\n\n";
        pgn.close();
        createBook("games.pgn");
        openBook();
        ASSERT_TRUE(bookIsOpen());
        writePolyglotBook();
        newGame();  // writing the book set up other positions
        usePolyglotBook("polyglot.bin");
        ASSERT_NE(polyglotBook.file, nullptr);
        printed();
        timeControl.maxDepth = 1;
    }

    /// The Polyglot book: 1.Nf3 in the start position, 1...d5 after 1.d4.
    static void writePolyglotBook() {
        struct Entry { uint64_t key; uint16_t move; };
        setFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
        Entry start = {polyglotKey(), 6 << 6 | 2 << 3 | 5};  // g1f3
        setFen("rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq d3");
        Entry afterD4 = {polyglotKey(), 6 << 9 | 3 << 6 | 4 << 3 | 3};  // d7d5
        if (afterD4.key < start.key) std::swap(start, afterD4);  // sorted by key
        FILE *file = std::fopen("polyglot.bin", "wb");
        for (const Entry &entry : {start, afterD4}) {
            unsigned char bytes[16] = {};
            for (int i = 0; i < 8; i++) bytes[i] = uint8_t(entry.key >> (56 - 8 * i));
            bytes[8] = uint8_t(entry.move >> 8), bytes[9] = uint8_t(entry.move), bytes[11] = 1;  // weight 1
            std::fwrite(bytes, 1, sizeof bytes, file);
        }
        std::fclose(file);
    }

    void TearDown() override {
        usePolyglotBook("");
        closeBook();
        EXPECT_EQ(chdir(previousDirectory.c_str()), 0);
        std::filesystem::remove_all(directory);
        FrontendTest::TearDown();
    }
};

TEST_F(PolyglotTurn, OwnBookFirstThenThePolyglotBook) {
    EXPECT_EQ(runSession("new\ngo\nquit\n"), "0 0 0 0 ( e4 )\nmove e4\n");
    EXPECT_EQ(runSession("new\nforce\nd2d4\ngo\nquit\n"), "0 0 0 0 ( d5 )\nmove d5\n");
    EXPECT_EQ(game.bookExitPly, 1);
    EXPECT_EQ(game.bookAllowance, 3);
}

TEST_F(PolyglotTurn, PolyglotMoveOnlyWhileTheAllowanceLasts) {
    struct Case { uint8_t allowance; bool fromBook; uint8_t allowanceAfter; };
    for (Case c : {Case{3, true, 3}, Case{1, true, 3}, Case{0, false, 0}}) {
        runSession("new\nforce\nd2d4\nnopost\nquit\n");
        game.bookAllowance = c.allowance;
        std::string output = runSession("go\nquit\n");
        ASSERT_EQ(pos.gamePly, 2) << int(c.allowance);
        if (c.fromBook) EXPECT_EQ(output, "0 0 0 0 ( d5 )\nmove d5\n") << int(c.allowance);
        else EXPECT_EQ(output.find("0 0 0 0"), std::string::npos) << output;
        EXPECT_EQ(game.bookAllowance, c.allowanceAfter) << int(c.allowance);
    }
}

TEST_F(PolyglotTurn, BkShowsThePolyglotMovesWhenTheOwnBookHasNone) {
    EXPECT_EQ(send("bk").substr(0, 44), " Move\t[Weight, Frequency, Win/Loss, Learned]");
    runSession("new\nforce\nd2d4\nquit\n");
    EXPECT_EQ(send("bk"), " Move\t[Weight, Share]\n d5\t[1, 100%]\n\n");
    runSession("d7d5\nquit\n");
    EXPECT_EQ(send("bk"), "");  // in neither book
}

TEST_F(PolyglotTurn, OwnBookSwitchesBothBooks) {
    runSession("uci\nsetoption name OwnBook value false\nquit\n");
    EXPECT_FALSE(bookIsOpen());
    EXPECT_EQ(polyglotBook.file, nullptr);
    std::string output = runSession("position startpos moves d2d4\ngo depth 1\nquit\n");
    EXPECT_NE(output.find("info "), std::string::npos) << "a search";
    runSession("setoption name OwnBook value true\nquit\n");
    EXPECT_TRUE(bookIsOpen());
    EXPECT_NE(polyglotBook.file, nullptr);
    EXPECT_EQ(runSession("position startpos moves d2d4\ngo depth 1\nquit\n"), "bestmove d7d5\n");
}
