// Many thousands of random and mutated command lines through the dispatch
// of both protocols. The handlers may only set options, clocks and
// deferred work: afterwards every record holds a value it can hold, and the
// position is untouched.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/position.h"
#include "frontend/control.h"
#include "frontend/input.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

const std::vector<std::string> COMMANDS = {
    "xboard", "uci", "protover 2", "new", "force", "go", "playother", "ping 12", "level 40 5 0", "level 0 2 12",
    "level 0 0:30 0.5", "sd 4", "st 10", "time 6000", "otim 5000", "post", "nopost", "hard", "easy", "computer",
    "analyze", "exit", ".", "hint", "undo", "remove", "result 1-0 {mate}", "result 1/2-1/2", "draw", "name Someone",
    "bk", "?", "e2e4", "e7e8q", "a7a8N", "e1g1", "setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
    "setboard 8/8/8/4k3/8/8/8/KQQ5 b - -", "board", "chk", "egtb", "eval", "isready", "ucinewgame", "debug on",
    "debug off", "stop", "ponderhit", "setoption name MultiPV value 3", "setoption name Ponder value true",
    "setoption name UCI_Opponent value GM 2800 computer Name", "setoption name NalimovPath value /tmp",
    "setoption name NalimovCache value 4", "setoption name OwnBook value false",
    "setoption name EnableBookLearning value true", "setoption name CanResign value false",
    "position startpos", "position startpos moves e2e4 e7e5 g1f3", "position fen 8/4P3/8/8/8/8/k7/4K3 w - - 0 1",
    "position fen 8/4P3/8/8/8/8/k7/4K3 w - - moves e7e8q a2a1", "go wtime 60000 btime 50000 winc 1000 binc 1000",
    "go movetime 2500", "go depth 80", "go mate 3", "go infinite", "go ponder wtime 100 btime 100", "go nodes 100",
    "go movestogo 20 wtime 1000 btime 1000", "quit"};

/// Edits a command line the way a broken interface or a noisy line might.
std::string mutate(std::string line, std::mt19937 &random) {
    auto pick = [&random](size_t limit) { return limit ? size_t(random() % limit) : 0; };
    int edits = 1 + int(pick(4));
    for (int i = 0; i < edits; i++) {
        switch (pick(8)) {
        case 0: if (!line.empty()) line[pick(line.size())] = char(1 + pick(255)); break;
        case 1: line.insert(pick(line.size() + 1), 1, char(1 + pick(255))); break;
        case 2: if (!line.empty()) line.erase(pick(line.size()), 1 + pick(5)); break;
        case 3: line.insert(pick(line.size() + 1), std::to_string(int(random()) - 1000000)); break;
        case 4: line = line.substr(0, pick(line.size() + 1)); break;
        case 5: line += " " + COMMANDS[pick(COMMANDS.size())]; break;
        case 6: for (char &c : line) if (pick(4) == 0) c = char(c ^ 0x20); break;
        default: line.insert(pick(line.size() + 1), std::string(pick(300), ' ')); break;
        }
    }
    return line;
}

/// A line of random bytes (no line feed, no terminator inside).
std::string randomBytes(std::mt19937 &random) {
    std::string line(random() % 4096, ' ');
    for (char &c : line) {
        c = char(1 + random() % 255);
        if (c == '\n') c = ' ';
    }
    return line;
}

/// A random FEN-like text: piece letters, digits and slashes, then fields.
std::string randomFen(std::mt19937 &random) {
    static const char ALPHABET[] = "pnbrqkPNBRQK12345678/";
    std::string fen;
    for (size_t n = random() % 90; n > 0; n--) fen += ALPHABET[random() % (sizeof ALPHABET - 1)];
    static const char *SIDES[] = {" w", " b", " x", ""};
    static const char *CASTLES[] = {" KQkq", " -", " Kk", " qQ", ""};
    static const char *PASSANTS[] = {" e3", " -", " h6", " a9", ""};
    return fen + SIDES[random() % 4] + CASTLES[random() % 5] + PASSANTS[random() % 5];
}

/// Random coordinate moves, most of them on the board.
std::string randomMoves(std::mt19937 &random) {
    std::string moves;
    for (size_t n = random() % 40; n > 0; n--) {
        moves += ' ';
        moves += char('a' + random() % 9);
        moves += char('1' + random() % 9);
        moves += char('a' + random() % 9);
        moves += char('1' + random() % 9);
        if (random() % 8 == 0) moves += "qrbnkx"[random() % 6];
    }
    return moves;
}

std::string nextLine(std::mt19937 &random) {
    switch (random() % 8) {
    case 0: return randomBytes(random);
    case 1: return "setboard " + randomFen(random);
    case 2: return "position fen " + randomFen(random) + " moves" + randomMoves(random);
    case 3: return "position startpos moves" + randomMoves(random);
    case 4: return randomMoves(random);
    default: return mutate(COMMANDS[random() % COMMANDS.size()], random);
    }
}

/// The first word in lower case, as the dispatch reads it.
std::string commandWord(const std::string &line) {
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) return "";
    std::string word = line.substr(start, line.find(' ', start) - start);
    for (char &c : word) c = char(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

}  // namespace

using DispatchFuzz = FrontendTest;

TEST_F(DispatchFuzz, HandlersKeepEveryRecordInItsRange) {
    std::mt19937 random(20261206);
    const uint64_t key = pos.hashKey;
    int dispatched = 0;
    for (int i = 0; i < 40000; i++) {
        std::string line = nextLine(random);
        line = line.substr(0, INPUT_BUFFER_SIZE - 1);
        // perft and bench would only run long; a hash size is a real
        // allocation, tested on its own.
        std::string word = commandWord(line);
        std::string lower = line;
        for (char &c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (word == "perft" || word == "bench" || lower.find("hash") != std::string::npos) continue;
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        dispatchLine(buffer.data());
        printed();
        dispatched++;

        uint16_t mode = options.optionFlags & (OPT_XBOARD | OPT_UCI);
        ASSERT_TRUE(mode == OPT_XBOARD || mode == OPT_UCI) << line;
        ASSERT_GE(options.multiPv, 1) << line;
        ASSERT_LE(options.multiPv, 5) << line;
        ASSERT_GE(options.egtbCacheMB, 1) << line;
        ASSERT_LE(options.egtbCacheMB, 64) << line;
        ASSERT_EQ(options.ttShift, 16) << line;
        ASSERT_LE(timeControl.maxDepth, 64) << line;
        ASSERT_TRUE(game.userFrom == -1 || (game.userFrom >= 0 && game.userFrom < 64)) << line;
        ASSERT_EQ(game.userFrom < 0, game.userTo < 0) << line;
        ASSERT_LT(strnlen(game.setupText, sizeof game.setupText), sizeof game.setupText) << line;
        ASSERT_LT(strnlen(game.userMoveText, sizeof game.userMoveText), sizeof game.userMoveText) << line;
        ASSERT_EQ(pos.hashKey, key) << line;
        // The main loop would take the deferred work; here it is dropped.
        game.pendingCommand = 0;
        game.userFrom = game.userTo = -1;
        searchSignal = SIG_NONE;
    }
    for (int ply = 0; ply < MAX_GAME_PLY; ply++)
        ASSERT_LT(strnlen(game.moveText[ply], MOVE_TEXT_SIZE), size_t(MOVE_TEXT_SIZE)) << ply;
    EXPECT_EQ(positionFault(), nullptr);
    EXPECT_GT(dispatched, 30000);
}
