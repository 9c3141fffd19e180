// The game record, new games and the main loop.
#include "frontend/control.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "board/castling.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "book/learn.h"
#include "engine/output.h"
#include "eval/pst.h"
#include "frontend/console.h"
#include "frontend/input.h"
#include "frontend/options.h"
#include "frontend/turn.h"
#include "frontend/uci.h"
#include "search/state.h"

GameControl game;

char engineName[16] = "Quor 1.5";

void newGame() {
    resetClock();
    game.startFen[0] = '\0';
    setupPosition();
    initPieceSquareTables();
    genPositionMoves();
    options.optionFlags &= uint16_t(~OPT_COMPUTER);
    mainThread.previousScore = 0;
    mainThread.pvLength[0] = 0;
    game.gameOver = false;
    game.resignCount = 0;
    game.bookExitPly = 0;
    pondering = 0;
    game.lastPly = -1;
    timeControl.clock[WHITE] = timeControl.clock[BLACK] = int32_t(timeControl.baseTime);
    timeControl.lagAllowance = std::max<int16_t>(20, moveOverheadCs());
    game.engineSide = NO_SIDE;
    game.userFrom = game.userTo = -1;
    game.bookAllowance = 3;
}

bool recordAndMakeMove(Move move) {
    if (pos.gamePly >= MAX_RECORDED_PLY) return false;
    char *text = game.moveText[pos.gamePly];
    std::snprintf(text, MOVE_TEXT_SIZE, "%s", moveToSan(move));
    if (!makeMove(move)) return false;
    pos.ply = 0;  // the game goes on from the new position
    if (inCheck() && std::strlen(text) + 1 < size_t(MOVE_TEXT_SIZE)) std::strcat(text, "+");
    return true;
}

/// The generated move matching a received from/to pair; the promotion
/// letter picks among the four promotions (queen, rook, bishop, knight).
static Move matchReceivedMove() {
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        Move move = entry->move;
        if (moveFrom(move) != game.userFrom || moveTo(move) != game.userTo) continue;
        if (!(move & MF_PROMO)) return move;
        char letter = char(game.userPromo | 0x20);
        int skip = letter == 'r' ? 1 : letter == 'b' ? 2 : letter == 'n' ? 3 : 0;
        return entry[skip].move;
    }
    return 0;
}

/// Plays a move received from the opponent.
static void playReceivedMove() {
    Move move = matchReceivedMove();
    if (move && recordAndMakeMove(move)) {
        if (!game.forceMode) game.engineSide = int8_t(pos.sideToMove);
        game.lastPly = int16_t(pos.gamePly - 1);
        checkGameResult();
        return;
    }
    reply("Illegal move: %s\n", move && pos.gamePly < MAX_RECORDED_PLY ? game.moveText[pos.gamePly] : game.userMoveText);
    debugPrint("Illegal Move-> %d %d (%lu)\n", game.userFrom, game.userTo, static_cast<unsigned long>(elapsedMs()));
}

/// True when a listed coordinate move names the played move; castling may
/// be listed as the king's move (e1g1) or as the king moving onto its rook
/// (e1h1), whichever of the two moveToText does not write.
static bool listedAs(const char *listed, Move played) {
    const char *text = moveToText(played);
    bool sameSquares = std::strncmp(listed, text, 4) == 0;
    if (!sameSquares && (played & MF_CASTLE)) {
        int target = chess960 ? moveTo(played) : castlingRookSquare(played);
        sameSquares = std::strncmp(listed, text, 2) == 0 && listed[2] == 'a' + column(target) &&
                      listed[3] == '8' - row(target);
    }
    return sameSquares && (!text[4] || (listed[4] | 0x20) == (text[4] | 0x20));
}

/// The game record holds a coordinate move list from a UCI position
/// command: the moves already played must match its head.
static bool gameContinuesWith(const char *fen) {
    if (pos.gamePly == 0 || std::strcmp(game.startFen, fen) != 0) return false;
    for (int ply = 0; ply < pos.gamePly; ply++)
        if (!listedAs(game.moveText[ply], pos.undoStack[ply].move)) return false;
    return true;
}

/// Starts a new game from the initial position or a FEN.
static void startGameFrom(const char *fen) {
    newGame();
    if (!fen[0]) return;
    std::snprintf(game.startFen, sizeof game.startFen, "%.*s", int(sizeof game.startFen - 1), fen);
    if (!readFen(fen)) game.startFen[0] = '\0';  // a refused FEN leaves the initial position
}

/// Plays the coordinate moves listed in the game record from the current
/// ply on, each one only when it is a move of the position.
static void playListedMoves() {
    for (int ply = pos.gamePly; ply < MAX_RECORDED_PLY && game.moveText[ply][0]; ply++) {
        Move move;
        if (!parseCoordMove(game.moveText[ply], &move)) break;
        if (!isGeneratedMove(move) || !recordAndMakeMove(move)) break;
    }
    game.moveText[pos.gamePly][0] = '\0';
}

/// Sets up the position requested by setboard or position.
static void setUpPosition() {
    if (game.setupText[0] != 'M') {
        startGameFrom(game.setupText);
        game.engineSide = NO_SIDE;
        return;
    }
    const char *fen = game.setupText + 2;
    if (!gameContinuesWith(fen)) startGameFrom(fen);
    playListedMoves();
    game.lastPly = int16_t(pos.gamePly - 1);
    checkGameResult();
    game.engineSide = NO_SIDE;
}

static void takeBack() {
    if (pos.gamePly == 0) return;
    game.gameOver = false;
    game.engineSide = NO_SIDE;
    mainThread.previousScore = 0;
    if (pos.gamePly < game.lastPly) game.bookAllowance = 3;
    unmakeMove();
    if (game.setupText[0] == '2' && pos.gamePly != 0) unmakeMove();
    pos.ply = 0;
}

/// A UCI interface owns the game: it decides when the game is over and
/// waits for a bestmove after every go, so a game end the engine detected
/// must not keep it from searching.
static void reopenGameForUci() {
    if (options.optionFlags & OPT_UCI) game.gameOver = false;
}

/// Applies the deferred request of a handler.
static void runPendingCommand() {
    switch (game.pendingCommand) {
    case CMD_NEW:
        newGame();
        game.forceMode = false;
        break;
    case CMD_UNDO: takeBack(); break;
    case CMD_GO:
        if (game.engineSide != NO_SIDE) std::swap(timeControl.clock[game.engineSide], timeControl.clock[pos.sideToMove]);
        game.engineSide = int8_t(pos.sideToMove);
        game.forceMode = false;
        reopenGameForUci();
        break;
    case CMD_FORCE:
        game.forceMode = !game.forceMode;
        game.engineSide = NO_SIDE;
        mainThread.previousScore = 0;
        break;
    case CMD_SETUP: setUpPosition(); break;
    case CMD_LEARN: learnFromGame(game.bookExitPly, game.earlyScores, game.learnResult); break;
    case CMD_ANALYZE:
        if (!analyzing) {  // a second "analyze" keeps the limits saved by the first
            timeControl.savedMoveTime = timeControl.moveTime;
            timeControl.savedMaxDepth = timeControl.maxDepth;
        }
        timeControl.moveTime = 0;
        timeControl.maxDepth = 60;
        analyzing = 1;
        reopenGameForUci();
        break;
    }
}

void mainLoop() {
    game.expectedReply = 0;
    for (;;) {
        game.pendingCommand = 0;
        game.setupText[0] = '\0';
        if (!game.gameOver && pos.gamePly >= MAX_RECORDED_PLY) {
            reply("ERROR (maximum number of moves reached): main\n");
            game.gameOver = true;
        }
        if (analyzing) game.engineSide = int8_t(pos.sideToMove);

        if (!game.gameOver && game.engineSide == pos.sideToMove) {
            playEngineTurn();
            applyWaitingTableChanges();
        }

        while (game.pendingCommand == 0 && game.userFrom < 0) checkInput(true);

        if (game.pendingCommand == CMD_QUIT) {
            debugPrint("close\n");
            return;
        }
        if (game.userFrom >= 0 && game.userTo >= 0) playReceivedMove();
        game.userFrom = game.userTo = -1;
        runPendingCommand();
    }
}
