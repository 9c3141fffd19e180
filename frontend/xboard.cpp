// The xboard protocol handler. It never changes the position: it sets
// options and clock values, leaves deferred work for the main loop in
// GameControl, and steers a running search through searchSignal.
#include "frontend/xboard.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/castling.h"
#include "board/notation.h"
#include "book/bookfile.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/output.h"
#include "frontend/control.h"
#include "frontend/exclusions.h"
#include "frontend/input.h"
#include "frontend/options.h"
#include "frontend/polyglotplay.h"
#include "search/state.h"
#include "search/threads.h"

/// Asks the running search (if any) to stop without playing.
static void abortSearch() { searchSignal = SIG_ABORT; }

static void defer(uint32_t command) {
    game.pendingCommand = command;
    abortSearch();
}

static void setBothClocks(int32_t centiseconds) { timeControl.clock[WHITE] = timeControl.clock[BLACK] = centiseconds; }

/// The settings of xboard's engine settings dialog, each with the value in
/// effect; they share their names and meanings with the UCI options.
static void showOptionFeatures() {
    for (const EngineOption &option : engineOptions()) {
        const char *name = option.xboardName;
        if (!name) continue;
        switch (option.type) {
        case OptionType::Check: print("feature option=\"%s -check %lld\"\n", name, option.number()); break;
        case OptionType::Spin:
            print("feature option=\"%s -spin %lld %lld %lld\"\n", name, option.number(), option.min, option.max);
            break;
        case OptionType::String:
        case OptionType::File:
            print("feature option=\"%s -%s %s\"\n", name, option.type == OptionType::File ? "file" : "string",
                  option.text ? option.text() : "");
            break;
        case OptionType::Button: print("feature option=\"%s -button\"\n", name); break;
        }
    }
}

static void showFeatures() {
    print("feature ping=1 setboard=1 san=0 time=1 draw=0\n");
    print("feature sigint=0 sigterm=0 reuse=1 analyze=1\n");
    print("feature myname=\"%s\" name=1\n", engineName);
    print("feature playother=1 colors=0\n");
    print("feature variants=\"normal,fischerandom\"\n");
    print("feature egt=\"syzygy\"\n");
    print("feature smp=1\n");
    print("feature memory=1\n");
    print("feature exclude=1\n");
    showOptionFeatures();
    print("feature done=1\n");
    reply("done=1\n");
}

/// Centiseconds of a "level" base time: whole minutes, or minutes:seconds.
static uint32_t parseBaseTime(const char *text) {
    uint32_t minutes = uint32_t(std::strtoul(text, nullptr, 10));
    const char *colon = std::strchr(text, ':');
    uint32_t seconds = colon ? uint32_t(std::strtoul(colon + 1, nullptr, 10)) : 0;
    return (minutes * 60 + seconds) * 100;
}

/// "level MOVES MINUTES INCREMENT".
static void setLevel() {
    const char *moves = nextToken(), *minutes = nextToken(), *increment = nextToken();
    if (!increment) {
        reply("ERROR (wrong number of parameters): level <nmoves> <min> <inc>\n");
        return;
    }
    timeControl.movesPerControl = uint16_t(std::atoi(moves));
    timeControl.baseTime = parseBaseTime(minutes);
    timeControl.increment = uint16_t(std::lround(std::strtod(increment, nullptr) * 100));
    timeControl.maxDepth = 64;
    timeControl.moveTime = timeControl.movesPerControl == 0
                               ? timeControl.baseTime
                               : timeControl.baseTime / timeControl.movesPerControl * 2;
    setBothClocks(int32_t(timeControl.baseTime));
    abortSearch();
}

/// "sd DEPTH": a depth-limited search without a time limit.
static void setDepth() {
    const char *depth = nextToken();
    if (!depth) return;
    timeControl.maxDepth = uint8_t(std::atoi(depth));
    if (timeControl.maxDepth > 56) timeControl.maxDepth = 56;
    timeControl.increment = 0;
    timeControl.baseTime = 0;
    timeControl.movesPerControl = 0;
    timeControl.moveTime = 0;
    setBothClocks(0);
}

/// "st SECONDS": a fixed time per move.
static void setMoveTime() {
    const char *seconds = nextToken();
    if (!seconds) return;
    timeControl.increment = 0;
    timeControl.baseTime = 0;
    timeControl.movesPerControl = 0;
    timeControl.maxDepth = 64;
    timeControl.moveTime = uint32_t(std::atoi(seconds)) * 100;
    setBothClocks(int32_t(timeControl.moveTime));
}

/// "time CENTISECONDS": the engine's own clock as the interface counts it;
/// the difference to the engine's count measures the communication lag.
static void setOwnClock() {
    const char *value = nextToken();
    if (!value) return;
    int32_t centiseconds = std::atoi(value);
    if (game.engineSide == NO_SIDE) {
        timeControl.clock[pos.otherSide] = centiseconds;
        return;
    }
    int32_t lag = int16_t(timeControl.clock[game.engineSide]) - centiseconds;
    lag = lag < 1 ? 20 : lag > 200 ? 200 : lag;
    // A move overhead raised above its default is kept back even when the
    // measured lag is less.
    if (options.moveOverheadMs > DEFAULT_MOVE_OVERHEAD_MS) lag = std::max<int32_t>(lag, moveOverheadCs());
    timeControl.lagAllowance = int16_t(lag);
    if (timeControl.movesPerControl != 0) {
        int32_t perMove = int32_t(timeControl.baseTime / timeControl.movesPerControl);
        // With less than the lag per move, keep 20 centiseconds less than
        // the time per move, but never less than 20.
        if (perMove < timeControl.lagAllowance) timeControl.lagAllowance = int16_t(perMove - 20 < 21 ? 20 : perMove - 20);
    }
    timeControl.clock[game.engineSide] = centiseconds;
}

/// "otim CENTISECONDS": the opponent's clock.
static void setOpponentClock() {
    const char *value = nextToken();
    if (!value) return;
    int side = game.engineSide == NO_SIDE ? pos.sideToMove : game.engineSide ^ 1;
    timeControl.clock[side] = std::atoi(value);
}

/// "setboard FEN": the four position fields for the main loop.
static void setBoard() {
    const char *fields[4];
    for (const char *&field : fields) {
        field = nextToken();
        if (!field) field = "";
    }
    std::snprintf(game.setupText, sizeof game.setupText, "%.80s %.1s %.4s %.2s", fields[0], fields[1], fields[2],
                  fields[3]);
    defer(CMD_SETUP);
}

/// The wing of castling written as O-O or O-O-O (also with zeros, and with
/// a check sign), or -1 for any other text. The command word arrives in
/// lower case.
static int castlingTextWing(const char *word) {
    char letter = word[0];
    if ((letter != 'o' && letter != 'O' && letter != '0') || word[1] != '-' || word[2] != letter) return -1;
    if (word[3] == '-' && word[4] == letter && (!word[5] || word[5] == '+' || word[5] == '#')) return LONG_SIDE;
    return !word[3] || word[3] == '+' || word[3] == '#' ? SHORT_SIDE : -1;
}

/// The squares of a received move: the coordinate text, or castling in
/// either of the forms the interface may send, O-O / O-O-O (`writtenWing`)
/// or the king moving onto its own rook (e1h1), as the squares of the move
/// the generators write. `mover` is the side that plays it: while the
/// engine ponders, the expected reply already stands on the board.
static void readReceivedSquares(const char *word, int writtenWing, int mover) {
    game.userPromo = 0;
    if (writtenWing >= 0) {
        // Without the right on record, the king "moving" to its own square
        // is what the main loop answers as an illegal move.
        Move castling = castlingMove(mover, writtenWing);
        game.userFrom = int8_t(castling ? moveFrom(castling) : pos.kingSquare[mover]);
        game.userTo = int8_t(castling ? moveTo(castling) : pos.kingSquare[mover]);
        return;
    }
    auto square = [](const char *text) {
        int8_t value = int8_t(uint8_t(text[0] - 8 * text[1] + 95));
        return value >= 0 && value < 64 ? value : int8_t(-1);
    };
    game.userFrom = square(word);
    game.userTo = square(word + 2);
    game.userPromo = word[4];
    if (game.userFrom < 0 || game.userTo < 0) {
        game.userFrom = game.userTo = -1;
        return;
    }
    // The king onto its own rook is castling only while the right is held
    // (a rook on e1 taking on h1 is a rook move). While the engine ponders,
    // the rights are those from before the expected reply on the board.
    bool replyOnBoard = mover != pos.sideToMove && pos.gamePly > 0;
    uint8_t rights = replyOnBoard ? pos.undoStack[pos.gamePly - 1].castleRights : pos.castleRights;
    if (Move castling = castlingMoveNamed(mover, rights, game.userFrom, game.userTo))
        game.userTo = int8_t(moveTo(castling));
}

/// A move in coordinate notation, or castling, left for the main loop.
static void receiveMove(const char *word) {
    abortSearch();
    int writtenWing = castlingTextWing(word);
    if (std::strlen(word) < 4 && writtenWing < 0) return;
    readReceivedSquares(word, writtenWing, pondering ? pos.otherSide : pos.sideToMove);
    if (game.userFrom >= 0) forgetExclusions();  // the game moves on
    // The command word arrives in lower case: castling is named O-O again.
    const char *text = writtenWing < 0 ? word : writtenWing == LONG_SIDE ? "O-O-O" : "O-O";
    std::snprintf(game.userMoveText, sizeof game.userMoveText, "%s", text);
    // The expected reply is already on the board: the ponder search becomes
    // the search for the engine's move.
    Move expected = game.expectedReply;
    if (pondering && game.userFrom == moveFrom(expected) && game.userTo == moveTo(expected) &&
        (!(expected & MF_PROMO) || (game.userPromo & ~0x20) == PIECE_LETTERS[movePromotion(expected)])) {
        game.lastPly++;
        game.userFrom = game.userTo = -1;
        searchSignal = SIG_PONDER_HIT;
    }
}

void printStat() {
    reply("stat01: %ld %llu %d %d %d %s\n", static_cast<long>((elapsedMs() - timeControl.searchStart) / 10),
          static_cast<unsigned long long>(totalNodes()), mainThread.iterationDepth,
          mainThread.rootMoveCount - mainThread.rootMoveNumber, mainThread.rootMoveCount,
          moveToText(mainThread.rootMove));
}

static void showHint() {
    Move hint = pondering                                  ? game.expectedReply
                : analyzing && mainThread.pvLength[0] != 0 ? mainThread.pvTable[0][0]
                                                           : 0;
    if (hint) reply("Hint: %s\n", moveToText(hint));
}

/// "egtpath KIND PATH": the directories of the Syzygy tables (used from
/// the next search when one runs), or of the Nalimov tables (discovery runs
/// again). The path is the rest of the line, blanks included.
static void setTablebasePath() {
    const char *kind = nextToken();
    if (!kind) return;
    if (!std::strcmp(kind, "syzygy")) {
        syzygySetPath(restOfLine());
    } else if (!std::strcmp(kind, "nalimov")) {
        setNalimovPath(trimBlanks(restOfLine()));
        tbRediscover();
    }
}

/// "option NAME[=VALUE]": a setting of the engine settings dialog, with
/// the effect of the UCI option of the same name. Check values are 0 or 1.
static void setOption() {
    char *name = trimBlanks(restOfLine());
    char *equals = std::strchr(name, '=');
    const char *value = "";
    if (equals) {
        *equals = '\0';
        value = trimBlanks(equals + 1);
        trimBlanks(name);
    }
    const EngineOption *option = findOption(name, false);
    if (!option) return;
    option->set(std::strtoll(value, nullptr, 10), value);
    // A running analysis starts again to show the new number of lines.
    if (!strcasecmp(name, "MultiPV") && analyzing && searching) defer(CMD_ANALYZE);
}

static void leaveAnalysis() {
    if (analyzing) {
        timeControl.moveTime = timeControl.savedMoveTime;
        timeControl.maxDepth = timeControl.savedMaxDepth;
        analyzing = 0;
    }
    abortSearch();
}

/// "result": the game is over. With learning on, the book learns from the
/// result ("1-0", "0-1", anything else a draw) once the main loop holds
/// the game's position again; not from a Chess960 game, which it never
/// played from.
static void endGame(const char *token) {
    if ((options.optionFlags & OPT_LEARN) && token && !chess960) {
        game.learnResult = int8_t(token[1] != '-' ? 0 : token[0] == '1' ? 1 : -1);
        game.pendingCommand = CMD_LEARN;
    }
    game.gameOver = true;
    abortSearch();
}

/// "bk": the book's moves in the current position; the Polyglot book's when
/// the engine's own book has none. Chess960 games have no book.
static void showBookMoves() {
    if (chess960) return;
    if (!probeBook(nullptr, PROBE_SHOW)) showPolyglotCandidates();
}

/// "variant NAME": the game that the next set-up starts is Chess960 for
/// "fischerandom", standard chess for any other name.
static void setVariant() {
    const char *name = nextToken();
    chess960 = name && !std::strcmp(name, "fischerandom");
}

void xboardCommand(const char *word) {
    auto is = [word](const char *name) { return std::strcmp(word, name) == 0; };
    if (is("protover")) showFeatures();
    else if (is("ping")) {
        const char *token = nextToken();
        abortSearch();
        reply("pong %s\n", token ? token : "");
    } else if (is("new")) {
        chess960 = false;  // a new game is standard chess until "variant" says otherwise
        forgetExclusions();
        defer(CMD_NEW);
    } else if (is("variant")) setVariant();
    else if (is("quit")) defer(CMD_QUIT);
    else if (is("force")) {
        if (!game.forceMode) defer(CMD_FORCE);
    } else if (is("undo") || is("remove")) {
        if (is("remove")) std::strcpy(game.setupText, "2");
        forgetExclusions();
        defer(CMD_UNDO);
    } else if (is("setboard")) {
        forgetExclusions();
        setBoard();
    } else if (is("exclude") || is("include")) {
        // A running analysis starts again on the new set of moves.
        if (changeExclusions(is("exclude"), nextToken()) && analyzing && searching) defer(CMD_ANALYZE);
    }
    else if (is("playother")) {
        game.forceMode = false;
        game.engineSide = int8_t(pos.otherSide);
        abortSearch();
    } else if (is("result")) endGame(nextToken());
    else if (is("level")) setLevel();
    else if (is("sd")) setDepth();
    else if (is("st")) setMoveTime();
    else if (is("time")) setOwnClock();
    else if (is("otim")) setOpponentClock();
    else if (is("post")) options.optionFlags |= OPT_POST;
    else if (is("nopost")) options.optionFlags &= uint16_t(~OPT_POST);
    else if (is("hard")) options.optionFlags |= OPT_PONDER;
    else if (is("easy")) {
        options.optionFlags &= uint16_t(~OPT_PONDER);
        if (pondering) abortSearch();
    } else if (is("computer")) options.optionFlags |= OPT_COMPUTER;
    else if (is("egtpath")) setTablebasePath();
    else if (is("option")) setOption();
    else if (is("memory")) {
        const char *megabytes = nextToken();
        if (megabytes) setHashMemory(std::strtoull(megabytes, nullptr, 10));
    }
    else if (is("cores")) {
        const char *count = nextToken();
        if (count) options.threads = searchThreadCount(std::strtol(count, nullptr, 10));
    }
    else if (is("analyze")) defer(CMD_ANALYZE);
    else if (is("exit")) leaveAnalysis();
    else if (is(".")) {
        if (analyzing) printStat();
    } else if (is("go")) {
        if (!searching || pondering || analyzing) defer(CMD_GO);
    } else if (is("hint")) showHint();
    else if (is("?") && searching && !pondering && !analyzing) searchSignal = SIG_MOVE_NOW;
    else if (is("bk")) {
        if (!searching) showBookMoves();
    } else if (is("draw") || is("name")) return;  // no draw offers taken
    else if (!searching || pondering || analyzing) receiveMove(word);
}
