// The engine's settings, read by every layer above the board: the option
// flags and table sizes, and the time control of the game.
#pragma once

#include <cstdint>

// optionFlags bits. Exactly one of OPT_XBOARD and OPT_UCI is set.
constexpr uint16_t OPT_XBOARD = 0x01;
constexpr uint16_t OPT_UCI = 0x02;
constexpr uint16_t OPT_POST = 0x04;      // show thinking
constexpr uint16_t OPT_PONDER = 0x08;    // pondering allowed
constexpr uint16_t OPT_LEARN = 0x10;     // book learning enabled
constexpr uint16_t OPT_RESIGN = 0x20;    // the engine may resign
constexpr uint16_t OPT_COMPUTER = 0x40;  // the opponent is a computer
constexpr uint16_t OPT_DEBUG = 0x80;     // debug lines are shown

/// Most search threads the engine runs.
constexpr int MAX_SEARCH_THREADS = 64;

/// The move overhead's range and default in milliseconds: 200 is the 20
/// centiseconds of communication lag allowed for after a new game.
constexpr int MAX_MOVE_OVERHEAD_MS = 5000;
constexpr int DEFAULT_MOVE_OVERHEAD_MS = 200;

/// The range of UCI_Elo: the weakest level, and the top, Quor's own full
/// strength on the same scale (measured as search/strength.cpp says), which
/// is also the default. Skill Level runs from 0 to its top, full strength.
constexpr int MIN_STRENGTH_ELO = 800;
constexpr int MAX_STRENGTH_ELO = 2050;
constexpr int MAX_SKILL_LEVEL = 20;

struct EngineOptions {
    uint16_t optionFlags;
    uint8_t ttShift;  // ttTable has 2^(32 - ttShift) buckets
    char egtbPath[256];
    int8_t egtbCacheMB;
    uint16_t multiPv;  // principal variations each search reports
    uint8_t threads;  // search threads, 1 to MAX_SEARCH_THREADS
    // Milliseconds kept back per move for the interface and the network.
    uint16_t moveOverheadMs = DEFAULT_MOVE_OVERHEAD_MS;
    // UCI lines add the expected win/draw/loss per mille to each score.
    bool showWdl;
    // A weaker opponent: UCI_LimitStrength with UCI_Elo, else Skill Level
    // below its top (see search/strength.h).
    bool limitStrength;
    int16_t eloLimit = MAX_STRENGTH_ELO;
    uint8_t skillLevel = MAX_SKILL_LEVEL;
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

extern EngineOptions options;
extern TimeControl timeControl;

/// A requested number of search threads, brought into 1 ..
/// MAX_SEARCH_THREADS.
inline uint8_t searchThreadCount(long requested) {
    return uint8_t(requested < 1 ? 1 : requested > MAX_SEARCH_THREADS ? MAX_SEARCH_THREADS : requested);
}

/// The move overhead in centiseconds, the unit of the clocks.
inline int16_t moveOverheadCs() { return int16_t(options.moveOverheadMs / 10); }

/// True when the engine speaks UCI rather than xboard.
inline bool uciMode() { return (options.optionFlags & OPT_UCI) != 0; }
