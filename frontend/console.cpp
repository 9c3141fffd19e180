// Console commands and game results.
#include "frontend/console.h"

#include <cstdlib>
#include <cstring>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/perft.h"
#include "board/position.h"
#include "board/repetition.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/output.h"
#include "eval/evaluate.h"
#include "frontend/control.h"
#include "frontend/input.h"
#include "search/bench.h"

/// "board": the 64 squares from a8 to h1, upper case for White.
static void showBoard() {
    for (int square = 0; square < 64; square++) {
        uint8_t code = pos.board[square];
        char letter = code == EMPTY ? '.' : char(PIECE_LETTERS[pieceType(code)] + (code & 0x10 ? 32 : 0));
        print("%c%c", letter, column(square) == 7 ? '\n' : ' ');
    }
}

/// The Syzygy result of the position, when Syzygy tables are loaded: the
/// win/draw/loss value with the fifty-move count and the distance to the
/// next capture or pawn move (or mate) in plies.
static void showSyzygyValue() {
    static constexpr const char *WDL_NAMES[5] = {"Loss", "BlessedLoss", "Draw", "CursedWin", "Win"};
    syzygyLoad();
    if (syzygy.largest == 0) return;
    unsigned wdl, dtz;
    if (syzygyProbeDtz(&wdl, &dtz) && wdl < 5) print("Syzygy %s, DTZ %u\n", WDL_NAMES[wdl], dtz);
    else print("Position not in Syzygy tables\n");
}

/// "egtb": the tablebase value of the position. Not during a search: the
/// position is then somewhere inside the search tree, and the root probe
/// would set tables up while helper threads probe them.
static void showTablebaseValue() {
    if (searching) return;
    tbInit();
    int16_t score;
    if (tbProbe(&score)) print("Max %d , Score %d\n", tbState, score);
    else if (tbState < 0) print("EGTB not found\n");
    else print("Position not in EGTB\n");
    showSyzygyValue();
}

void printPerft(int depth) {
    // The move lists and the undo stack hold MAX_PLY plies; a deeper count
    // could never finish anyway.
    if (depth < 1 || depth > PERFT_MAX_DEPTH || searching) return;
    genPositionMoves();
    uint64_t total = 0;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        Move move = entry->move;
        if (!makeMove(move)) continue;
        uint64_t nodes = perft(depth - 1);
        unmakeMove();
        total += nodes;
        print("%s: %llu\n", uciMode() ? moveToUci(move) : moveToText(move), static_cast<unsigned long long>(nodes));
    }
    reply("\nNodes searched: %llu\n", static_cast<unsigned long long>(total));
}

/// "bench [DEPTH]": the fixed search benchmark.
static void showBench() {
    const char *argument = nextToken();
    if (!searching) runBench(argument ? std::atoi(argument) : 0);
}

bool consoleCommand(const char *word) {
    if (!std::strcmp(word, "board")) showBoard();
    else if (!std::strcmp(word, "chk")) return true;
    else if (!std::strcmp(word, "egtb")) showTablebaseValue();
    else if (!std::strcmp(word, "eval")) {
        if (!searching) print("Eval: %d\n", evaluate(-10000, 10000));
    } else if (!std::strcmp(word, "perft")) {
        const char *depth = nextToken();
        printPerft(depth ? std::atoi(depth) : 0);
    }
    else if (!std::strcmp(word, "bench")) showBench();
    else return false;
    return true;
}

/// True when the side to move has at least one legal move.
static bool legalMoveExists() {
    pos.ply = 0;
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++)
        if (makeMove(entry->move)) {
            unmakeMove();
            return true;
        }
    return false;
}

/// True when no sequence of legal moves can end in mate: no pawns, and at
/// most a lone knight or bishop on the board, or one bishop each running on
/// squares of the same colour. K+B against K+N, two knights, or bishops on
/// opposite colours can still mate (with the losing side's help), and an
/// interface rejects a draw claim there.
static bool mateIsImpossible() {
    if (pos.pieceCount[WHITE][PAWN] != 0 || pos.pieceCount[BLACK][PAWN] != 0) return false;
    if (pos.material[WHITE] >= 500 || pos.material[BLACK] >= 500) return false;  // a rook, or two minors
    if (pos.material[WHITE] == 0 || pos.material[BLACK] == 0) return true;       // one minor piece at most
    if (pos.pieceCount[WHITE][BISHOP] != 1 || pos.pieceCount[BLACK][BISHOP] != 1) return false;
    int bishopColour[2];
    for (int square = 0; square < 64; square++)
        if (pieceType(pos.board[square]) == BISHOP)
            bishopColour[pieceSide(pos.board[square])] = (row(square) + column(square)) & 1;
    return bishopColour[WHITE] == bishopColour[BLACK];
}

/// The result line of the position, or nullptr while the game goes on.
static const char *gameResult() {
    static char line[48];
    if (legalMoveExists()) {
        if (repetitionCount() == 2) return "1/2-1/2 {Draw by repetition}";
        if (pos.fiftyCount >= 100) return "1/2-1/2 {Draw by fifty move rule}";
        if (mateIsImpossible()) return "1/2-1/2 {Insufficient material}";
        return nullptr;
    }
    if (!inCheck()) return "1/2-1/2 {Stalemate}";
    int mated = pos.sideToMove;
    const char *reason = mated == game.engineSide ? "You win"
                       : (mated ^ 1) == game.engineSide ? "Computer wins"
                       : mated == BLACK ? "White wins" : "Black wins";
    std::snprintf(line, sizeof line, "%s {%s}", mated == WHITE ? "0-1" : "1-0", reason);
    return line;
}

void checkGameResult() {
    const char *result = gameResult();
    if (!result) return;
    game.gameOver = true;
    reply("%s\n", result);
}
