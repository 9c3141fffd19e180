// The engine's turn: the search chooses a move, the front end plays it on
// its board, sends it, charges the clock, and may start pondering on the
// expected reply.
#include "frontend/turn.h"

#include <cstdio>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "board/repetition.h"
#include "book/bookfile.h"
#include "engine/output.h"
#include "frontend/console.h"
#include "frontend/control.h"
#include "frontend/exclusions.h"
#include "frontend/polyglotplay.h"
#include "search/limits.h"
#include "search/state.h"
#include "search/think.h"


/// Book bookkeeping after a search: the allowance runs down, and the scores
/// of the first five searched moves after the book are kept for learning.
static void noteSearchedMove() {
    if (game.bookAllowance > 0) game.bookAllowance--;
    int index = (pos.gamePly - game.bookExitPly - 1) / 2;
    if (index >= 0 && index < 5) game.earlyScores[index] = mainThread.previousScore;
}

/// xboard: after three moves in a row scored below -900 the engine resigns,
/// but only when the opponent has more than five seconds per move left.
static void considerResigning() {
    if (!(options.optionFlags & OPT_RESIGN) || timeControl.movesPerControl == 0) return;
    if (mainThread.previousScore >= -900) {
        game.resignCount = 0;
        return;
    }
    if (++game.resignCount < 3) return;
    int movesLeft = timeControl.movesPerControl - (pos.gamePly / 2) % timeControl.movesPerControl;
    if (movesLeft > 0 && timeControl.clock[pos.sideToMove] / movesLeft + timeControl.increment > 500) {
        reply("resign\n");
        game.gameOver = true;
    }
}

/// Plays the search's move (0 when there is none) and reports it.
static void playMove(Move move) {
    if (!move) {
        reply("ERROR (no legal moves): think\n");
        game.engineSide = NO_SIDE;
        game.gameOver = true;
    } else {
        const char *text = game.moveText[pos.gamePly];
        if (!recordAndMakeMove(move)) {
            reply("ERROR (unexpected illegal move error): think\n");
            game.gameOver = true;
        } else if (!uciMode()) {
            considerResigning();
            if (!game.gameOver) {
                reply("move %s\n", text);
                debugPrint("SENT MOVE-> %s\n", text);
            }
        }
        game.lastPly = int16_t(pos.gamePly - 1);
        checkGameResult();
    }
    if (uciMode()) {
        // moveToUci writes into one static buffer: keep the best move's text
        // before the ponder move's overwrites it.
        char best[8];
        std::snprintf(best, sizeof best, "%s", move ? moveToUci(move) : "0000");
        if ((options.optionFlags & OPT_PONDER) && mainThread.pvLength[0] > 2)
            reply("bestmove %s ponder %s\n", best, moveToUci(mainThread.pvTable[0][1]));
        else reply("bestmove %s\n", best);
        if (pos.gamePly > 0) debugPrint("SENT MOVE-> %s\n", game.moveText[pos.gamePly - 1]);
    }
}

/// Charges the engine's clock with its thinking time and credits the
/// period's time and the increment.
static void chargeClock() {
    if (game.engineSide == NO_SIDE) return;
    int32_t &clock = timeControl.clock[game.engineSide];
    clock -= int32_t((elapsedMs() - timeControl.searchStart) / 10);
    int movesMade = (pos.gamePly + game.engineSide) / 2 + pos.sideToMove;
    if (timeControl.movesPerControl > 0 && movesMade % timeControl.movesPerControl == 0)
        clock += int32_t(timeControl.baseTime);
    if (timeControl.increment > 0) clock += timeControl.increment;
    debugPrint("CLOCK-> %ld\n", static_cast<long>(clock));
}

/// UCI: the interface sets up every position it asks about, and the next
/// "go" without a new "position" searches the same one again. The engine's
/// move, made to find the game's end, is taken back; a "position" that
/// extends the game by it continues the game record.
static void keepSetUpPosition(int16_t rootPly) {
    if (pos.gamePly > rootPly) unmakeMove();
    pos.ply = 0;
    game.lastPly = int16_t(pos.gamePly - 1);
    game.engineSide = NO_SIDE;
}

/// xboard: makes the expected reply of the principal variation, when it is
/// a move of the position, so that the engine can think on the opponent's
/// time. Returns true when pondering starts.
static bool startPondering() {
    if (uciMode() || !(options.optionFlags & OPT_PONDER) || game.gameOver || game.pendingCommand != 0 ||
        mainThread.pvLength[0] <= 2)
        return false;
    Move expected = mainThread.pvTable[0][1] & 0xFFFFFF;
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        if ((entry->move & 0xFFFFFF) != expected) continue;
        game.expectedReply = entry->move;
        if (!recordAndMakeMove(entry->move)) return false;
        pondering = 1;
        return true;
    }
    return false;
}

/// The opening book's move for the engine's turn, or 0. The book is asked
/// while the allowance of searched moves lasts, never while pondering or
/// analysing, nor in Chess960, whose positions no book holds, nor when the
/// interface chose the root moves or asked for a mate; a book move that
/// would repeat a position is left to the search. When the engine's own book
/// gives no move, the Polyglot book may.
static Move bookMoveForTurn() {
    if (game.bookAllowance == 0 || pondering || analyzing || chess960) return 0;
    if (searchLimits.rootMoveCount > 0 || searchLimits.mateMoves > 0) return 0;
    Move move = 0;
    probeBook(&move, PROBE_PLAY);
    if (!move) return polyglotBookMove();
    return moveRepeatsPosition(move) ? 0 : move;
}

/// Plays from the book: the game leaves the book later, and the allowance
/// of searched moves starts again.
static void noteBookMove() {
    game.bookExitPly = uint16_t(pos.gamePly);
    game.bookAllowance = 3;
    searchSignal = SIG_NONE;
    mainThread.pvLength[0] = 0;
}

void playEngineTurn() {
    bool ponderMoveMade = false;
    for (;;) {
        if (!uciMode()) applyExclusions();
        timeControl.searchStart = elapsedMs();
        Move move = ponderMoveMade ? 0 : bookMoveForTurn();
        if (move) {
            noteBookMove();
        } else {
            searchLimits.gameMove = true;
            think();
            if (pondering) {
                // The opponent did not play the expected reply.
                pondering = 0;
                if (ponderMoveMade) {
                    unmakeMove();
                    pos.ply = 0;
                }
                return;
            }
            move = mainThread.pvTable[0][0];
            noteSearchedMove();
            if (searchSignal == SIG_ABORT) {
                if (uciMode()) reply("bestmove %s\n", move ? moveToUci(move) : "0000");
                game.engineSide = NO_SIDE;
                return;
            }
        }
        int16_t rootPly = pos.gamePly;
        playMove(move);
        chargeClock();
        if (uciMode()) {
            keepSetUpPosition(rootPly);
            return;
        }
        if (!startPondering()) return;
        ponderMoveMade = true;
    }
}
