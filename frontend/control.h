// The game the front end conducts: the engine's side, the deferred work a
// command leaves for the main loop, the book bookkeeping and the game record.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"
#include "engine/clock.h"
#include "engine/searchflags.h"
#include "engine/settings.h"

constexpr int8_t NO_SIDE = 6;

// Deferred requests a handler leaves for the main loop.
constexpr uint32_t CMD_NEW = 1;
constexpr uint32_t CMD_UNDO = 2;
constexpr uint32_t CMD_GO = 6;
constexpr uint32_t CMD_FORCE = 7;
constexpr uint32_t CMD_SETUP = 9;
constexpr uint32_t CMD_ANALYZE = 10;
constexpr uint32_t CMD_QUIT = 11;
// The book learns from the game's result once no search holds the board.
constexpr uint32_t CMD_LEARN = 12;

constexpr int MOVE_TEXT_SIZE = 12;
constexpr int SETUP_TEXT_SIZE = 128;

struct GameControl {
    int8_t engineSide;  // WHITE, BLACK or NO_SIDE
    bool forceMode;
    bool gameOver;
    uint32_t pendingCommand;
    int8_t userFrom;  // a received move not yet played; -1 = none
    int8_t userTo;
    char userPromo;
    Move expectedReply;  // the opponent move assumed while pondering
    uint8_t bookAllowance;   // searched moves left before the book is no longer asked
    uint16_t bookExitPly;    // game ply of the last book move
    int16_t earlyScores[5];  // scores of the first five searched moves after it
    int8_t learnResult;      // for CMD_LEARN: +1 White won, -1 Black won, 0 otherwise
    uint8_t resignCount;
    int16_t lastPly;
    char moveText[MAX_GAME_PLY][MOVE_TEXT_SIZE];
    char setupText[SETUP_TEXT_SIZE];
    char startFen[SETUP_TEXT_SIZE];
    char userMoveText[16];  // the received move as it was written
};

/// Game plies the front end plays up to: the undo stack keeps room above
/// them for a ponder move and the plies of a search. A game that reaches
/// this length is over: the engine's move would not fit in the record.
constexpr int MAX_RECORDED_PLY = 735;

extern GameControl game;

/// The engine's name as it announces itself.
extern char engineName[16];

/// Resets the game to the initial position.
void newGame();

/// Stores the move's text in the game record and makes it; appends "+"
/// when it gives check. Returns false when makeMove refuses the move or the
/// record is full.
bool recordAndMakeMove(Move move);

/// The main loop: the engine's turn, input, then the deferred work; returns
/// after "quit" (or the end of input).
void mainLoop();
