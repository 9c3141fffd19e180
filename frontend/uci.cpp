// The UCI protocol handler. Like the xboard handler it only records work for
// the main loop, sets options and clock values, and steers a running search
// through searchSignal.
#include "frontend/uci.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "book/bookfile.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/output.h"
#include "frontend/control.h"
#include "frontend/input.h"
#include "frontend/polyglotplay.h"
#include "search/tt.h"

static bool sameWord(const char *a, const char *b) { return strcasecmp(a, b) == 0; }

static void defer(uint32_t command) {
    game.pendingCommand = command;
    searchSignal = SIG_ABORT;
}

static void identify() {
    print("id name %s\nid author Velmar\n", engineName);
    print("option name Hash type spin default 4 min 1 max 256\n");
    print("option name NalimovPath type string default \n");
    print("option name NalimovCache type spin default 2 min 1 max 64\n");
    print("option name Ponder type check default false\n");
    print("option name OwnBook type check default true\n");
    print("option name PolyglotBook type string default \n");
    print("option name MultiPV type spin default 1 min 1 max %d\n", 5);
    print("option name UCI_Opponent type string\n");
    print("option name EnableBookLearning type check default true\n");
    print("option name CanResign type check default true\n");
    print("option name SyzygyPath type string default %s\n", syzygy.path);
    print("option name SyzygyProbeLimit type spin default 7 min 0 max 7\n");
    print("option name Threads type spin default 1 min 1 max %d\n", MAX_SEARCH_THREADS);
    print("option name UCI_Chess960 type check default false\n");
    reply("uciok\n");
    // Tablebases stay unavailable until the options set them up again.
    tbRelease();
    options.egtbPath[0] = '\0';
}

static void setFlag(uint16_t flag, const char *value) {
    if (value[0] == 't' || value[0] == 'T') options.optionFlags |= flag;
    else options.optionFlags &= uint16_t(~flag);
}

/// "Hash": a new table of at most that many megabytes; the old one stays
/// when the memory cannot be had. Not while a search uses the table.
static void resizeHash(const char *value) {
    if (searching) return;
    uint64_t megabytes = uint64_t(std::strtoull(value, nullptr, 10));
    uint8_t shift = ttShiftForBytes(megabytes << 20);
    if (ttAllocate(shift)) options.ttShift = shift;
    else debugPrint("Hash of %s MB not allocated\n", value);
}

static void setTablebaseCache(const char *value) {
    int8_t megabytes = int8_t(std::atoi(value));
    options.egtbCacheMB = megabytes >= 1 && megabytes <= 64 ? megabytes : 2;
    if (!options.egtbPath[0]) return;
    int8_t found = tbRediscover();
    if (searching) return;  // discovery runs when the search has ended
    if (found < 1) debugPrint("TB failed to initialize\n");
    else debugPrint("Maximum %d piece TB found\n", found);
}

/// "PolyglotBook": the whole rest of the line is the path, blanks included;
/// no value, or "<empty>", means no book.
static void setPolyglotBook(const char *value) {
    char path[256] = "";
    const char *rest = restOfLine();
    if (value && std::strcmp(value, "<empty>") != 0)
        std::snprintf(path, sizeof path, "%s%s%s", value, *rest ? " " : "", rest);
    for (size_t length = std::strlen(path); length > 0 && path[length - 1] == ' '; length--) path[length - 1] = '\0';
    usePolyglotBook(path);
}

/// "setoption name NAME value VALUE".
static void setOption() {
    nextToken();  // "name"
    const char *name = nextToken();
    nextToken();  // "value"
    const char *value = nextToken();
    if (name && sameWord(name, "polyglotbook")) {
        setPolyglotBook(value);
        return;
    }
    if (!name || !value) return;
    if (sameWord(name, "hash")) resizeHash(value);
    else if (sameWord(name, "nalimovpath")) std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", value);
    else if (sameWord(name, "nalimovcache")) setTablebaseCache(value);
    else if (sameWord(name, "ponder")) setFlag(OPT_PONDER, value);
    else if (sameWord(name, "ownbook")) {
        bool on = value[0] == 't' || value[0] == 'T';
        if (on) {
            game.bookAllowance = 3;
            openBook();
        } else {
            closeBook();
        }
        switchPolyglotBook(on);
    } else if (sameWord(name, "multipv")) {
        uint8_t lines = uint8_t(std::atoi(value));
        options.multiPv = lines >= 1 && lines <= 5 ? lines : 1;
    } else if (sameWord(name, "uci_opponent")) {
        nextToken();  // rating; the value token was the title
        const char *kind = nextToken();
        if (kind && (kind[0] == 'c' || kind[0] == 'C')) options.optionFlags |= OPT_COMPUTER;
        else options.optionFlags &= uint16_t(~OPT_COMPUTER);
    } else if (sameWord(name, "enablebooklearning")) setFlag(OPT_LEARN, value);
    else if (sameWord(name, "canresign")) setFlag(OPT_RESIGN, value);
    else if (sameWord(name, "syzygypath")) syzygySetPath(sameWord(value, "<empty>") ? "" : value);
    else if (sameWord(name, "syzygyprobelimit")) syzygy.probeLimit = std::clamp(std::atoi(value), 0, 7);
    else if (sameWord(name, "threads")) options.threads = searchThreadCount(std::strtol(value, nullptr, 10));
    else if (sameWord(name, "uci_chess960")) chess960 = value[0] == 't' || value[0] == 'T';
}

/// "position startpos|fen FEN [moves M1 M2 ...]".
static void setPosition() {
    const char *start = nextToken();
    if (!start) return;
    char fen[SETUP_TEXT_SIZE] = "";
    if (start[0] == 'f' || start[0] == 'F') {
        char *rest = restOfLine();
        char *movesWord = std::strpbrk(rest, "mM");
        size_t length = movesWord ? size_t(movesWord - rest) : std::strlen(rest);
        if (length + 3 > sizeof fen) return;  // no FEN is that long
        std::memcpy(fen, rest, length);
        fen[length] = '\0';
        resumeTokensAt(movesWord ? movesWord : rest + length);
    }
    nextToken();  // "moves"
    int count = 0;
    for (const char *token; count < MAX_RECORDED_PLY && (token = nextToken());) {
        size_t length = std::strlen(token);
        if (length != 4 && length != 5) break;
        std::strcpy(game.moveText[count++], token);
    }
    if (count > 0) {
        game.moveText[count][0] = '\0';
        std::snprintf(game.setupText, sizeof game.setupText, "M %.125s", fen);
    } else {
        std::strcpy(game.setupText, fen);
    }
    defer(CMD_SETUP);
}

/// Reads the clock parameters of "go", starting with `token`.
static void readClocks(const char *token) {
    const char *increments[2] = {nullptr, nullptr};
    timeControl.movesPerControl = 0;
    timeControl.lagAllowance = 20;
    for (; token; token = nextToken()) {
        int index = sameWord(token, "wtime") || sameWord(token, "winc") ? WHITE : BLACK;
        bool isTime = sameWord(token, "wtime") || sameWord(token, "btime");
        bool isIncrement = sameWord(token, "winc") || sameWord(token, "binc");
        if (!isTime && !isIncrement && !sameWord(token, "movestogo")) continue;
        const char *value = nextToken();
        if (!value) break;
        if (isTime) timeControl.clock[index] = std::atoi(value) / 10;
        else if (isIncrement) increments[index] = value;
        else timeControl.movesPerControl = uint16_t(std::atoi(value));
    }
    int side = pos.sideToMove;
    // An exhausted clock still gets a time limit, never an endless search.
    timeControl.baseTime = uint32_t(timeControl.clock[side] > 0 ? timeControl.clock[side] : 1);
    timeControl.increment = increments[side] ? uint16_t(std::atoi(increments[side]) / 10) : 0;
    timeControl.maxDepth = 64;
    timeControl.moveTime = timeControl.movesPerControl == 0
                               ? timeControl.baseTime
                               : timeControl.baseTime / timeControl.movesPerControl * 2;
    if (timeControl.moveTime == 0) timeControl.moveTime = 1;
}

static void clearTimeLimits() {
    timeControl.increment = 0;
    timeControl.baseTime = 0;
    timeControl.movesPerControl = 0;
}

/// "go ...": the engine plays the side to move.
static void go() {
    game.engineSide = NO_SIDE;
    game.pendingCommand = CMD_GO;
    const char *token = nextToken();
    if (!token) return;
    if (sameWord(token, "ponder")) {
        pondering = 1;
        token = nextToken();
    } else if (sameWord(token, "infinite")) {
        game.pendingCommand = CMD_ANALYZE;
    } else if (sameWord(token, "movetime")) {
        const char *value = nextToken();
        if (!value) return;
        clearTimeLimits();
        timeControl.maxDepth = 64;
        // Less than a centisecond still limits the search: 0 would mean none.
        int centiseconds = std::atoi(value) / 10;
        timeControl.moveTime = uint32_t(centiseconds > 0 ? centiseconds : 1);
        timeControl.clock[WHITE] = timeControl.clock[BLACK] = int32_t(timeControl.moveTime);
    } else if (sameWord(token, "depth") || sameWord(token, "mate")) {
        const char *value = nextToken();
        if (!value) return;
        timeControl.maxDepth = uint8_t(std::atoi(value));
        if (timeControl.maxDepth > 56) timeControl.maxDepth = 56;
        clearTimeLimits();
        timeControl.moveTime = 0;
        timeControl.clock[WHITE] = timeControl.clock[BLACK] = 0;
    } else if (sameWord(token, "nodes")) {
        reply("'go nodes' command not supported!\n");
    }
    if (token && (sameWord(token + 1, "time") || sameWord(token, "movestogo"))) readClocks(token);
}

static void stop() {
    if (analyzing) {
        timeControl.moveTime = timeControl.savedMoveTime;
        timeControl.maxDepth = timeControl.savedMaxDepth;
        analyzing = 0;
    }
    pondering = 0;
    game.engineSide = NO_SIDE;
    searchSignal = SIG_ABORT;
}

void uciCommand(const char *word) {
    auto is = [word](const char *name) { return std::strcmp(word, name) == 0; };
    if (is("uci")) identify();
    else if (is("setoption")) setOption();
    else if (is("isready")) reply("readyok\n");
    else if (is("debug")) {
        const char *mode = nextToken();
        if (mode) {
            if (sameWord(mode, "on")) options.optionFlags |= OPT_DEBUG;
            else options.optionFlags &= uint16_t(~OPT_DEBUG);
        }
    } else if (is("ucinewgame")) defer(CMD_NEW);
    else if (is("position")) setPosition();
    else if (is("go")) {
        if (!searching) go();
    } else if (is("stop")) stop();
    else if (is("ponderhit")) searchSignal = SIG_PONDER_HIT;
    else if (is("quit")) defer(CMD_QUIT);
}

bool parseCoordMove(const char *text, Move *move) {
    if (std::strlen(text) < 4) return false;
    int from = int8_t(uint8_t(text[0] - 8 * text[1] + 95));
    int to = int8_t(uint8_t(text[2] - 8 * text[3] + 95));
    if (from < 0 || from > 63 || to < 0 || to > 63 || pos.board[from] == EMPTY) return false;
    int type = pieceType(pos.board[from]);
    int promotion = 0;
    if (type == PAWN && (text[3] == '1' || text[3] == '8')) {
        static constexpr const char *PROMOTION_LETTERS = "NBRQK";  // types 1 to 5
        const char *letter = text[4] ? std::strchr(PROMOTION_LETTERS, text[4] & ~0x20) : nullptr;
        if (!letter) return false;
        promotion = int(letter - PROMOTION_LETTERS) + KNIGHT;
    }
    *move = flaggedMove(from, to, promotion);
    return true;
}
