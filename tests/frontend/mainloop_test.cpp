// The main loop's deferred work, driven through its standard input: the
// UCI continuation of a game, move lists that end early or run past the
// game record, the clock after the engine's move, and resignation.
#include <gtest/gtest.h>

#include <string>

#include "board/position.h"
#include "frontend/control.h"
#include "search/state.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/board_helpers.h"

class MainLoop : public FrontendTest {
protected:
    /// The piece letter on a square as the board command shows it.
    static char pieceOn(const char *square) {
        uint8_t code = pos.board[sq(square)];
        if (code == EMPTY) return '.';
        return char(PIECE_LETTERS[pieceType(code)] + (pieceSide(code) == BLACK ? 32 : 0));
    }

    /// A value that only a new game resets: tells a continued game from a
    /// rebuilt one.
    static void markGame() { mainThread.previousScore = 55; }
    static bool gameWasRebuilt() { return mainThread.previousScore == 0; }

    static void expectConsistentPosition() {
        const char *fault = positionFault();
        EXPECT_EQ(fault, nullptr) << fault;
    }
};

/// Knight moves that go round and round from the initial position.
static std::string knightShuffle(int plies) {
    static const char *cycle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    std::string moves;
    for (int ply = 0; ply < plies; ply++) moves += std::string(" ") + cycle[ply % 4];
    return moves;
}

TEST_F(MainLoop, PositionThatExtendsTheGameOnlyMakesTheNewMoves) {
    // Each row is checked on one square; castling may be listed as the
    // king's step or as the king onto its rook, in Chess960 only the latter.
    struct Step { std::string lines; int plies; const char *square; char piece; bool rebuilt; };
    const std::string fen960 = "position fen rk5r/pp4pp/8/8/8/8/PP4PP/RK5R w HAha - 0 1 moves b1a1";
    runSession("uci\nposition startpos moves e2e4\nquit\n");
    for (const Step &step : {Step{"position startpos moves e2e4 e7e5", 2, "e5", 'p', false},
                             Step{"position startpos moves d2d4 e7e5", 2, "e4", '.', true},  // an earlier move differs
                             Step{"position startpos moves d2d4", 1, "d4", 'P', true},  // shorter than the game
                             Step{"position fen 8/4P3/8/8/8/8/k7/4K3 w - - moves e7e8q", 1, "e8", 'Q', true},
                             // Promotion letters compare without case.
                             Step{"position fen 8/4P3/8/8/8/8/k7/4K3 w - - moves e7e8Q a2a1", 2, "a1", 'k', false},
                             Step{"position fen 8/4P3/8/8/8/8/k7/4K3 w - - moves e7e8r a2a1", 2, "e8", 'R', true},
                             // A FEN without moves is set again, even when it is the current position.
                             Step{"position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 0, "e2", 'P', true},
                             Step{"position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 0, "e2", 'P', true},
                             Step{"position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - moves e1g1", 1, "f1", 'R', true},
                             Step{"position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - moves e1h1 e8a8", 2, "d8", 'r', false},
                             Step{"setoption name UCI_Chess960 value true\n" + fen960, 1, "d1", 'R', true},
                             Step{fen960 + " b8a8", 2, "d8", 'r', false}}) {
        markGame();
        runSession(step.lines + "\nquit\n");
        EXPECT_EQ(gameWasRebuilt(), step.rebuilt) << step.lines;
        EXPECT_EQ(pos.gamePly, step.plies) << step.lines;
        EXPECT_EQ(pieceOn(step.square), step.piece) << step.lines;
        expectConsistentPosition();
    }
}

TEST_F(MainLoop, MoveThatIsNoMoveOfThePositionEndsTheList) {
    struct Case { std::string position; int plies; };
    for (const Case &c : {Case{"startpos moves e2e4 e7e5 e2e5 g1f3", 2},  // no piece on e2 any more
                          Case{"startpos moves e2e4 e7e g1f3", 1},        // a word of another length
                          Case{"startpos moves e2e4 e7e5q e7e5", 2},      // a letter after no promotion is not read
                          Case{"startpos moves e7e5 e2e4", 0},            // the opponent's piece
                          Case{"startpos moves" + knightShuffle(790), MAX_RECORDED_PLY},  // longer than the record
                          Case{"startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1", 7}}) {   // castling allowed
        runSession("uci\nposition " + c.position + "\nquit\n");
        EXPECT_EQ(pos.gamePly, c.plies) << c.position;
        EXPECT_STREQ(game.moveText[pos.gamePly], "") << c.position;
        expectConsistentPosition();
    }
    EXPECT_EQ(pieceOn("g1"), 'K');
    EXPECT_EQ(pieceOn("f1"), 'R');
}

TEST_F(MainLoop, GameAtTheLengthLimitEndsWithTheLimitMessage) {
    // 734 plies of knight moves (drawn long ago, so the game is over), a
    // pawn move to ply 735, then undo and the same move again: a game at the
    // limit that is not over. The engine must not think any more.
    std::string input = "force" + knightShuffle(734);
    for (size_t at = 0; (at = input.find(' ', at)) != std::string::npos;) input[at] = '\n';
    input += "\ne2e4\nundo\ne2e4\nnopost\nsd 2\ngo\ng8f6\nquit\n";
    std::string output = runSession(input);
    EXPECT_EQ(pos.gamePly, MAX_RECORDED_PLY);
    std::string ending = output.substr(output.rfind("1/2-1/2"));
    EXPECT_EQ(ending.substr(ending.find('\n') + 1),
              "ERROR (maximum number of moves reached): main\nIllegal move: g8f6\n");
    EXPECT_TRUE(game.gameOver);
    expectConsistentPosition();
}

TEST_F(MainLoop, EngineClockIsChargedAndCreditedAfterItsMove) {
    send("level 2 5 3");  // 2 moves in 5 minutes, 3 seconds a move
    timeControl.maxDepth = 2;
    runSession("nopost\ne2e4\nquit\n");
    ASSERT_EQ(pos.gamePly, 2);
    // The engine's first move of the period: the increment only.
    EXPECT_LE(timeControl.clock[BLACK], 30300);
    EXPECT_GT(timeControl.clock[BLACK], 30300 - 100);
    runSession("d2d4\nquit\n");
    ASSERT_EQ(pos.gamePly, 4);
    // Its second move ends the period: the base time comes back.
    EXPECT_LE(timeControl.clock[BLACK], 60600);
    EXPECT_GT(timeControl.clock[BLACK], 60600 - 200);
    EXPECT_EQ(timeControl.clock[WHITE], 30000);
}

TEST_F(MainLoop, HopelessEngineResignsOnItsThirdSearchedMove) {
    options.optionFlags |= OPT_RESIGN;
    send("level 40 5 0");
    timeControl.maxDepth = 2;
    std::string output = runSession("nopost\nsetboard 8/8/8/4k3/8/8/8/KQQ5 b - -\ngo\na1a2\na2a1\nquit\n");
    // Two king moves are sent ("move Ke4"); the third is not, "resign" stands instead.
    ASSERT_EQ(output.size(), 25u) << output;
    EXPECT_EQ(output.substr(0, 6), "move K") << output;
    EXPECT_EQ(output.substr(9, 6), "move K") << output;
    EXPECT_EQ(output.substr(18), "resign\n") << output;
    EXPECT_TRUE(game.gameOver);
}

