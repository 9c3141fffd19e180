// Agreement with the polyglot tool: it builds a book from a few hundred
// master games and dumps every book line of each colour with the share of
// each book move; the engine's candidates must be the same moves with the
// same shares in every position of those lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <unistd.h>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "book/polyglot.h"
#include "tests/support/board_helpers.h"

namespace fs = std::filesystem;

/// The polyglot program: Debian installs it under /usr/games.
static std::string polyglotProgram() {
    return fs::exists("/usr/games/polyglot") ? "/usr/games/polyglot" : "polyglot";
}

/// Runs a polyglot command in `directory`; true when it succeeded.
static bool runPolyglot(const fs::path &directory, const std::string &arguments) {
    std::string command = "cd '" + directory.string() + "' && " + polyglotProgram() + " " + arguments + " > log.txt 2>&1";
    return std::system(command.c_str()) == 0;
}

/// Book moves of one position: SAN text to share in percent.
using Shares = std::map<std::string, double>;

/// The engine's candidates as SAN with their shares of the total weight.
static Shares engineShares() {
    PolyglotCandidate candidates[POLYGLOT_MAX_CANDIDATES];
    int count = polyglotCandidates(candidates);
    double total = 0;
    for (int i = 0; i < count; i++) total += candidates[i].weight;
    Shares shares;
    for (int i = 0; i < count; i++) shares[moveToSan(candidates[i].move)] = 100.0 * candidates[i].weight / total;
    return shares;
}

/// SAN without its check or mate sign, as the engine writes moves.
static std::string withoutCheckSign(std::string san) {
    while (!san.empty() && (san.back() == '+' || san.back() == '#')) san.pop_back();
    return san;
}

/// The legal move written as `san`.
static Move moveOfSan(const std::string &san) {
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++)
        if (san == moveToSan(entry->move)) return entry->move;
    return 0;
}

/// Per position (the engine's own hash key): the dump's and the engine's
/// book moves.
struct Comparison {
    std::map<uint64_t, Shares> dumped, probed;
};

/// Follows one dumped line ("12: 1. e4{60%} c5 2. Nf3{82%} ..."), noting the
/// book moves of the dumped colour at each position on it. A "{trans: ...}"
/// note ends the line: it continues as an earlier one.
static void followLine(const std::string &line, Comparison &comparison) {
    ASSERT_TRUE(readFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
    std::istringstream words(line);
    std::string word;
    words >> word;  // the line number
    while (words >> word && word[0] != '{') {
        if (word.back() == '.') continue;  // a move number
        size_t brace = word.find('{');
        std::string san = withoutCheckSign(word.substr(0, brace));
        if (brace != std::string::npos) {
            double share = std::atof(word.c_str() + brace + 1);
            comparison.dumped[pos.hashKey][san] = share;
            if (!comparison.probed.count(pos.hashKey)) comparison.probed[pos.hashKey] = engineShares();
        }
        Move move = moveOfSan(san);
        ASSERT_NE(move, 0u) << san << " in " << line;
        ASSERT_TRUE(makeMove(move));
        pos.ply = 0;
    }
}

TEST(PolyglotTool, CandidatesAgreeWithTheDumpOfABookBuiltFromGames) {
    fs::path directory = fs::temp_directory_path() / ("quor_polyglot_tool_" + std::to_string(getpid()));
    fs::create_directories(directory);
    fs::path games = fs::absolute("tests/data/polyglot_games.pgn");
    ASSERT_TRUE(fs::exists(games));
    ASSERT_TRUE(runPolyglot(directory, "make-book -pgn '" + games.string() + "' -bin book.bin -max-ply 16 -min-game 2"))
        << "is the polyglot package installed?";
    Comparison comparison;
    for (const char *colour : {"white", "black"}) {
        ASSERT_TRUE(runPolyglot(directory, std::string("dump-book -bin book.bin -color ") + colour + " -out " + colour));
        ASSERT_EQ(polyglotOpen((directory / "book.bin").c_str()), nullptr);
        std::ifstream dump(directory / colour);
        std::string line;
        while (std::getline(dump, line))
            if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) followLine(line, comparison);
    }
    polyglotClose();
    fs::remove_all(directory);

    // The start position and every position of the lines, for both colours.
    EXPECT_GT(comparison.dumped.size(), 100u);
    for (const auto &[key, dumped] : comparison.dumped) {
        const Shares &probed = comparison.probed[key];
        ASSERT_EQ(probed.size(), dumped.size()) << "position " << std::hex << key;
        for (const auto &[san, share] : dumped) {
            ASSERT_TRUE(probed.count(san)) << san << " missing, position " << std::hex << key;
            EXPECT_LE(std::fabs(probed.at(san) - share), 1.0) << san << ", position " << std::hex << key;
        }
    }
}
