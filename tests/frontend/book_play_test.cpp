// The opening book in the engine's games: book moves before any search,
// the repetition test, the book bookkeeping, "bk", "result" with learning,
// and the UCI option OwnBook. Each test works in a folder of its own, where
// the book is built from a small PGN file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "board/position.h"
#include "book/bookfile.h"
#include "book/create.h"
#include "engine/output.h"
#include "frontend/control.h"
#include "search/state.h"
#include "tests/frontend/frontend_fixture.h"

class BookPlay : public FrontendTest {
protected:
    void SetUp() override {
        FrontendTest::SetUp();
        char buffer[4096];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        previousDirectory = buffer;
        char pattern[] = "/tmp/quor-book-play-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        ASSERT_EQ(chdir(directory.c_str()), 0);
        // Ten games of a Ruy Lopez won by White: every position of it is in
        // the book ten times, White's with win/loss +10.
        std::ofstream pgn("games.pgn");
        for (int i = 0; i < 10; i++)
            pgn << "[Event \"?\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 1-0\n\n";
        pgn.close();
        createBook("games.pgn");
        openBook();
        ASSERT_TRUE(bookIsOpen());
        printed();
    }

    void TearDown() override {
        closeBook();
        EXPECT_EQ(chdir(previousDirectory.c_str()), 0);
        std::filesystem::remove_all(directory);
        FrontendTest::TearDown();
    }

    std::string directory, previousDirectory;
};

TEST_F(BookPlay, XboardBookMovesComeWithTheCandidateLineAndWithoutSearch) {
    std::string output = runSession("new\nsd 2\ngo\nquit\n");
    EXPECT_EQ(output, "0 0 0 0 ( e4 )\nmove e4\n");
    EXPECT_EQ(game.bookExitPly, 0);
    EXPECT_EQ(game.bookAllowance, 3);
    output = runSession("e7e5\nquit\n");
    EXPECT_EQ(output, "0 0 0 0 ( Nf3 )\nmove Nf3\n");
    EXPECT_EQ(game.bookExitPly, 2);
    // Out of the book: a search, whose score is the first early score.
    game.earlyScores[0] = 12345;
    output = runSession("d7d6\nquit\n");
    EXPECT_EQ(output.find("0 0 0 0"), std::string::npos);
    EXPECT_EQ(game.bookAllowance, 2);
    EXPECT_EQ(game.earlyScores[0], previousScore);
}

TEST_F(BookPlay, BookMoveThatRepeatsAPositionIsLeftToTheSearch) {
    // After 1.e4 e5 2.Nf3 Nc6 3.Ng1 Nb8 the book's 2.Nf3 would bring back the
    // position after 2.Nf3.
    runSession("new\nforce\ne2e4\ne7e5\ng1f3\nb8c6\nf3g1\nc6b8\nsd 1\ngo\nquit\n");
    EXPECT_EQ(game.bookAllowance, 2) << "no search ran";
    EXPECT_EQ(game.bookExitPly, 0);
    EXPECT_EQ(pos.gamePly, 7);
}

TEST_F(BookPlay, BkListsTheBookMovesUnlessASearchRuns) {
    EXPECT_EQ(send("bk"), " Move\t[Weight, Frequency, Win/Loss, Learned]\n e4\t[360, 10, 10, 0]\n \n\n");
    searching = 1;
    EXPECT_EQ(send("bk"), "");
    searching = 0;
    runSession("new\nforce\ne2e4\nd7d5\nquit\n");
    EXPECT_EQ(send("bk"), "");  // out of the book
}

TEST_F(BookPlay, ResultPassesItsValueToLearningOnlyWithLearningOn) {
    struct Case {
        const char *line;
        int result;
    };
    for (Case c : {Case{"result 1-0 {White mates}", 1}, Case{"result 0-1", -1}, Case{"result 1/2-1/2", 0},
                   Case{"result *", 0}}) {
        game.pendingCommand = 0;
        options.optionFlags &= uint16_t(~OPT_LEARN);
        send(c.line);
        EXPECT_EQ(game.pendingCommand, 0u) << c.line;
        EXPECT_TRUE(game.gameOver);
        options.optionFlags |= OPT_LEARN;
        game.learnResult = 99;
        send(c.line);
        EXPECT_EQ(game.pendingCommand, CMD_LEARN) << c.line;
        EXPECT_EQ(game.learnResult, c.result) << c.line;
    }
    game.pendingCommand = 0;
    send("result");
    EXPECT_EQ(game.pendingCommand, 0u) << "no result token";
}

TEST_F(BookPlay, ResultAfterASlowWonGameRaisesTheEnginesBookMoves) {
    // The engine played White's first three moves from the book (plies 0 to
    // 4) and searched the rest; it won against a computer.
    runSession("new\nlevel 0 10 0\ncomputer\nforce\ne2e4\ne7e5\ng1f3\nb8c6\nf1b5\na7a6\nb5a4\ng8f6\ne1g1\nf8e7\nquit\n");
    game.bookExitPly = 4;
    std::memset(game.earlyScores, 0, sizeof game.earlyScores);
    options.optionFlags |= OPT_LEARN;
    runSession("result 1-0\nquit\n");
    EXPECT_EQ(pos.gamePly, 10);
    // Learned +1, +1, +2 (amount 2); "bk" shows them, each worth
    // learned * 400 / 100 more than the 360 of the games.
    struct Case {
        const char *moves;
        const char *shown;
    };
    for (Case c : {Case{"new\nquit\n", " e4\t[364, 10, 10, 1]\n"},
                   Case{"new\nforce\ne2e4\ne7e5\nquit\n", " Nf3\t[364, 10, 10, 1]\n"},
                   Case{"new\nforce\ne2e4\ne7e5\ng1f3\nb8c6\nquit\n", " Bb5\t[368, 10, 10, 2]\n"}}) {
        runSession(c.moves);
        EXPECT_NE(send("bk").find(c.shown), std::string::npos) << c.moves;
    }
}

TEST_F(BookPlay, UciGoAnswersWithTheBookMoveAtOnceAndOwnBookSwitchesTheBook) {
    std::string output = runSession("uci\nposition startpos\ngo wtime 60000 btime 60000\nquit\n");
    EXPECT_EQ(output.substr(output.find("uciok\n") + 6), "bestmove e2e4\n");
    runSession("setoption name OwnBook value false\nquit\n");
    EXPECT_FALSE(bookIsOpen());
    output = runSession("position startpos\ngo depth 1\nquit\n");
    EXPECT_NE(output.find("info "), std::string::npos) << "a search";
    game.bookAllowance = 0;
    runSession("setoption name OwnBook value true\nquit\n");
    EXPECT_TRUE(bookIsOpen());
    EXPECT_EQ(game.bookAllowance, 3);
    output = runSession("position startpos moves e2e4\ngo depth 1\nquit\n");
    EXPECT_EQ(output, "bestmove e7e5\n");
}
