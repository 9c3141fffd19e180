// The UCI protocol handler. Like the xboard handler it only records work for
// the main loop, sets options and clock values, and steers a running search
// through searchSignal.
#include "frontend/uci.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "egtb/tablebase.h"
#include "engine/output.h"
#include "frontend/console.h"
#include "frontend/control.h"
#include "frontend/input.h"
#include "frontend/options.h"
#include "search/limits.h"

static bool sameWord(const char *a, const char *b) { return strcasecmp(a, b) == 0; }

static void defer(uint32_t command) {
    game.pendingCommand = command;
    searchSignal = SIG_ABORT;
}

/// One "option" line, announcing the value in effect.
static void announceOption(const EngineOption &option) {
    const char *name = option.uciName;
    switch (option.type) {
    case OptionType::Check:
        print("option name %s type check default %s\n", name, option.number() ? "true" : "false");
        break;
    case OptionType::Spin:
        print("option name %s type spin default %lld min %lld max %lld\n", name, option.number(), option.min,
              option.max);
        break;
    case OptionType::String:
    case OptionType::File:
        if (option.text) print("option name %s type string default %s\n", name, option.text());
        else print("option name %s type string\n", name);
        break;
    case OptionType::Button: print("option name %s type button\n", name); break;
    }
}

/// "uci": the identification and the option list. The Nalimov tables stay
/// unavailable until the options set them up again, so the path in effect
/// is then empty.
static void identify() {
    tbRelease();
    options.egtbPath[0] = '\0';
    print("id name %s\nid author Velmar\n", engineName);
    for (const EngineOption &option : engineOptions())
        if (option.uciName) announceOption(option);
    reply("uciok\n");
}

/// A check value: true when it begins with "t" or "T".
static bool checked(const char *value) { return value[0] == 't' || value[0] == 'T'; }

/// A path option's value: none, or "<empty>" as some interfaces send an
/// empty string, is the empty path.
static const char *pathValue(const char *value) { return !value || !std::strcmp(value, "<empty>") ? "" : value; }

/// "setoption name NAME [value VALUE]". A name may have several words
/// ("Move Overhead"); the value is the rest of the line, so that a path
/// keeps its blanks. A check or spin without its value is ignored.
static void setOption() {
    nextToken();  // "name"
    char name[64] = "";
    char *value = nullptr;
    for (char *word; (word = nextToken());) {
        if (sameWord(word, "value")) {
            value = trimBlanks(restOfLine());
            break;
        }
        size_t used = std::strlen(name);
        std::snprintf(name + used, sizeof name - used, "%s%s", used ? " " : "", word);
    }
    if (value && !*value) value = nullptr;
    const EngineOption *option = findOption(name, true);
    if (!option) return;
    if (option->type == OptionType::String || option->type == OptionType::File || option->type == OptionType::Button)
        option->set(0, pathValue(value));
    else if (value)
        option->set(option->type == OptionType::Check ? checked(value) : std::strtoll(value, nullptr, 10), value);
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

/// What one "go" line asks for; a number is empty when its word is not
/// given. Times are in milliseconds.
struct GoRequest {
    using Number = std::optional<long long>;
    Number clock[2];      // wtime, btime
    Number increment[2];  // winc, binc
    Number movesToGo, moveTime, depth, nodes, mate, perft;
    bool infinite = false, ponder = false;

    bool clockGiven() const { return clock[0] || clock[1] || increment[0] || increment[1] || movesToGo; }
};

/// The field of the go word that is followed by a number, nullptr for any
/// other word.
static GoRequest::Number *numberOf(GoRequest &request, const char *word) {
    struct Field { const char *word; GoRequest::Number GoRequest::*number; };
    static constexpr Field FIELDS[] = {{"movestogo", &GoRequest::movesToGo}, {"movetime", &GoRequest::moveTime},
                                       {"depth", &GoRequest::depth},         {"nodes", &GoRequest::nodes},
                                       {"mate", &GoRequest::mate},           {"perft", &GoRequest::perft}};
    if (sameWord(word, "wtime") || sameWord(word, "btime")) return &request.clock[sameWord(word, "btime")];
    if (sameWord(word, "winc") || sameWord(word, "binc")) return &request.increment[sameWord(word, "binc")];
    for (const Field &field : FIELDS)
        if (sameWord(word, field.word)) return &(request.*field.number);
    return nullptr;
}

/// True for every word of "go", those with a number and those without.
static bool isGoWord(const char *word) {
    GoRequest any;
    return numberOf(any, word) || sameWord(word, "infinite") || sameWord(word, "ponder") ||
           sameWord(word, "searchmoves");
}

/// A whole decimal number, with an optional minus sign.
static bool isNumber(const char *text) {
    if (*text == '-') text++;
    return *text && std::strspn(text, "0123456789") == std::strlen(text);
}

/// True when `move` is a legal move of the current position.
static bool isLegalMove(Move move) {
    if (!isGeneratedMove(move) || !makeMove(move)) return false;
    unmakeMove();
    return true;
}

/// "searchmoves m1 m2 ...": the legal moves among them become the root
/// moves to search (none legal: every move is). Returns the go word that
/// ends the list, or nullptr.
static char *readSearchMoves() {
    char *word;
    while ((word = nextToken()) && !isGoWord(word)) {
        Move move;
        if (searchLimits.rootMoveCount < MAX_MOVES_PER_PLY && parseCoordMove(word, &move) && isLegalMove(move))
            searchLimits.rootMoves[searchLimits.rootMoveCount++] = move;
    }
    return word;
}

/// Reads the words of "go" in any order. A word whose number is missing is
/// ignored; the root moves go straight into searchLimits.
static void readGoRequest(GoRequest &request) {
    for (char *word = nextToken(); word;) {
        if (sameWord(word, "searchmoves")) {
            word = readSearchMoves();
            continue;
        }
        if (GoRequest::Number *number = numberOf(request, word)) {
            char *text = nextToken();
            if (!text || !isNumber(text)) {
                word = text;  // the word came without its number
                continue;
            }
            *number = std::strtoll(text, nullptr, 10);
        } else if (sameWord(word, "infinite")) {
            request.infinite = true;
        } else if (sameWord(word, "ponder")) {
            request.ponder = true;
        }
        word = nextToken();
    }
}

static void setBothClocks(int32_t centiseconds) { timeControl.clock[WHITE] = timeControl.clock[BLACK] = centiseconds; }

static void clearTimeLimits() {
    timeControl.increment = 0;
    timeControl.baseTime = 0;
    timeControl.movesPerControl = 0;
    timeControl.maxDepth = 64;
}

/// Centiseconds of a time given in milliseconds, brought into the 32 bits
/// of a clock with room left for the increments to come.
static int32_t centisecondsOf(long long milliseconds) {
    return int32_t(std::clamp<long long>(milliseconds, INT32_MIN, INT32_MAX) / 10);
}

/// "movetime": a fixed time per move.
static void setFixedMoveTime(long long milliseconds) {
    clearTimeLimits();
    // Less than a centisecond still limits the search: 0 would mean none.
    timeControl.moveTime = uint32_t(std::max(centisecondsOf(milliseconds), 1));
    setBothClocks(int32_t(timeControl.moveTime));
}

/// The clocks, increments and moves to go; the side to move's clock is the
/// time of the period.
static void setClocks(const GoRequest &request) {
    for (int side : {WHITE, BLACK})
        if (request.clock[side]) timeControl.clock[side] = centisecondsOf(*request.clock[side]);
    int side = pos.sideToMove;
    timeControl.movesPerControl = uint16_t(request.movesToGo.value_or(0));
    timeControl.lagAllowance = moveOverheadCs();
    // An exhausted clock still gets a time limit, never an endless search.
    timeControl.baseTime = uint32_t(timeControl.clock[side] > 0 ? timeControl.clock[side] : 1);
    timeControl.increment = uint16_t(request.increment[side].value_or(0) / 10);
    timeControl.maxDepth = 64;
    timeControl.moveTime = timeControl.movesPerControl == 0
                               ? timeControl.baseTime
                               : timeControl.baseTime / timeControl.movesPerControl * 2;
    if (timeControl.moveTime == 0) timeControl.moveTime = 1;
}

/// Sets the limits of the search a "go" asks for: the time from "movetime"
/// or the clock words; no time limit when only depth, nodes or mate limit
/// it; the TimeControl unchanged when no limit at all is given.
static void applyGoRequest(const GoRequest &request) {
    long long nodes = request.nodes.value_or(0), mate = request.mate.value_or(0);
    bool otherLimit = request.depth || nodes > 0;
    if (request.moveTime) setFixedMoveTime(*request.moveTime);
    else if (request.clockGiven()) setClocks(request);
    else if (otherLimit || mate > 0) {
        clearTimeLimits();
        timeControl.moveTime = 0;
        setBothClocks(0);
    }
    if (request.depth) {
        // Kept in 8 bits, at most 56 and, so that there is a move, at least 1.
        timeControl.maxDepth = uint8_t(std::clamp<int>(uint8_t(*request.depth), 1, 56));
        searchLimits.depth = timeControl.maxDepth;
    }
    if (nodes > 0) searchLimits.nodes = uint64_t(nodes);
    if (mate > 0) {
        searchLimits.mateMoves = int(std::min<long long>(mate, MAX_PLY));
        // Only "stop" ends a mate search that nothing else limits.
        searchLimits.untilStop = !otherLimit && !request.moveTime && !request.clockGiven();
    }
}

/// "go ...": the engine plays the side to move, within the limits given.
static void go() {
    GoRequest request;
    clearSearchLimits();
    readGoRequest(request);
    if (request.perft) {  // a count of move paths instead of a search
        printPerft(int(std::clamp<long long>(*request.perft, 0, PERFT_MAX_DEPTH + 1)));
        return;
    }
    game.engineSide = NO_SIDE;
    game.pendingCommand = request.infinite ? CMD_ANALYZE : CMD_GO;
    if (request.ponder) pondering = 1;
    applyGoRequest(request);
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
