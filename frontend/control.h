// The records the front end shares with the rest of the engine: options,
// time control, game control and the flags that steer a running search.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

// optionFlags bits. Exactly one of OPT_XBOARD and OPT_UCI is set.
constexpr uint16_t OPT_XBOARD = 0x01;
constexpr uint16_t OPT_UCI = 0x02;
constexpr uint16_t OPT_POST = 0x04;      // show thinking
constexpr uint16_t OPT_PONDER = 0x08;    // pondering allowed
constexpr uint16_t OPT_LEARN = 0x10;     // book learning enabled
constexpr uint16_t OPT_RESIGN = 0x20;    // the engine may resign
constexpr uint16_t OPT_COMPUTER = 0x40;  // the opponent is a computer
constexpr uint16_t OPT_DEBUG = 0x80;     // debug lines are shown

struct EngineOptions {
    uint16_t optionFlags;
    uint8_t ttShift;  // ttTable has 2^(32 - ttShift) buckets
    char egtbPath[256];
    int8_t egtbCacheMB;
    uint8_t multiPv;
};

/// All times in centiseconds.
struct TimeControl {
    uint16_t movesPerControl;  // 0: no period
    uint32_t baseTime;         // time of one period
    uint16_t increment;
    uint32_t moveTime;  // the search's time budget; 0 = no limit
    uint8_t maxDepth;
    int32_t clock[2];  // remaining time per colour
    int16_t lagAllowance;
    uint32_t searchStart;  // elapsedMs when the current think started
    uint32_t savedMoveTime;
    uint8_t savedMaxDepth;
};

constexpr int8_t NO_SIDE = 6;

// Deferred requests a handler leaves for the main loop.
constexpr uint32_t CMD_NEW = 1;
constexpr uint32_t CMD_UNDO = 2;
constexpr uint32_t CMD_GO = 6;
constexpr uint32_t CMD_FORCE = 7;
constexpr uint32_t CMD_SETUP = 9;
constexpr uint32_t CMD_ANALYZE = 10;
constexpr uint32_t CMD_QUIT = 11;

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
    uint8_t bookAllowance;
    uint16_t bookExitPly;
    int16_t earlyScores[5];
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

extern EngineOptions options;
extern TimeControl timeControl;
extern GameControl game;

// Values of searchSignal.
constexpr uint8_t SIG_NONE = 0;
constexpr uint8_t SIG_MOVE_NOW = 1;
constexpr uint8_t SIG_ABORT = 2;
constexpr uint8_t SIG_PONDER_HIT = 3;

extern uint8_t searching;  // a think is in progress
extern uint8_t analyzing;
extern uint8_t pondering;  // the running think is a ponder search
extern uint8_t searchSignal;

/// The engine's name as it announces itself.
extern char engineName[16];

/// Sets the origin of the millisecond clock to now.
void resetClock();

/// Milliseconds since the last resetClock.
uint32_t elapsedMs();

/// Resets the game to the initial position.
void newGame();

/// Stores the move's text in the game record and makes it; appends "+"
/// when it gives check. Returns false when makeMove refuses the move or the
/// record is full.
bool recordAndMakeMove(Move move);

/// The main loop: the engine's turn, input, then the deferred work; returns
/// after "quit" (or the end of input).
void mainLoop();
