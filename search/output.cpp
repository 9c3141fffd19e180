// Thinking lines, UCI info lines and the search's periodic poll.
#include "search/output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "board/castling.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "board/position.h"
#include "egtb/syzygy.h"
#include "engine/clock.h"
#include "engine/output.h"
#include "engine/searchflags.h"
#include "engine/settings.h"
#include "search/ordering.h"
#include "search/root.h"
#include "search/state.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/tt.h"
#include "search/wdl.h"

// The last thinking line, kept so that a ponder hit can print it again.
static char thinkingLine[THINKING_LINE_SIZE];

// The main thread looks at the clock and the input every this many of its
// nodes: a few milliseconds on a fast processor, and still well within a
// tenth of a second on a slow one (a Raspberry Pi, an emulator) or on a
// machine busy with other programs, where a longer stretch loses on time in
// fast games and answers "stop" late.
constexpr uint64_t POLL_NODES = 8192;

/// Appends formatted text to a line buffer; text that does not fit is cut.
static void appendText(char *line, const char *format, ...) __attribute__((format(printf, 2, 3)));
static void appendText(char *line, const char *format, ...) {
    size_t used = std::strlen(line);
    if (used + 1 >= THINKING_LINE_SIZE) return;
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line + used, THINKING_LINE_SIZE - used, format, arguments);
    va_end(arguments);
}


uint32_t searchElapsedMs() { return elapsedMs() - timeControl.searchStart; }

uint32_t nodesPerSecond(uint32_t elapsed) {
    return elapsed ? uint32_t(uint64_t(totalNodes()) * 1000 / elapsed) : 0;
}

const char *uciScore(int score, int *value) {
    if (score > MATE_REPORT) {
        *value = (SCORE_BOUND + 1 - score) / 2;
        return "mate";
    }
    if (score < -MATE_REPORT) {
        *value = (-SCORE_BOUND - 1 - score) / 2;
        return "mate";
    }
    *value = score;
    return "cp";
}

/// The words after a UCI score: the bound it is, and the win/draw/loss
/// expected from it when asked for.
static void writeScoreMarks(char *marks, size_t size, int score, uint8_t bound, Move rootMove) {
    int used = std::snprintf(marks, size, "%s", bound == BOUND_LOWER   ? " lowerbound"
                                                 : bound == BOUND_UPPER ? " upperbound"
                                                                        : "");
    if (!options.showWdl) return;
    Wdl wdl = lineWdl(score, rootMove);
    std::snprintf(marks + used, size - used, " wdl %d %d %d", wdl.win, wdl.draw, wdl.loss);
}

/// Writes the head of a line into `line`: under UCI every field of an info
/// line up to "pv" (the line number only when the search keeps several
/// lines), in xboard the depth, score, time and nodes. `rootMove` is the
/// line's first move.
static void writeHeader(char *line, int lineNumber, int depth, int score, uint8_t bound, Move rootMove) {
    uint32_t elapsed = searchElapsedMs();
    if (!uciMode()) {
        std::snprintf(line, THINKING_LINE_SIZE, "%2d %5d %6lu %-llu  ", depth, score, (unsigned long)(elapsed / 10),
                      (unsigned long long)totalNodes());
        return;
    }
    int value;
    const char *kind = uciScore(score, &value);
    char marks[48], number[24] = "";
    writeScoreMarks(marks, sizeof marks, score, bound, rootMove);
    if (shownMultiPv > 1) std::snprintf(number, sizeof number, "multipv %d ", lineNumber);
    std::snprintf(line, THINKING_LINE_SIZE,
                  "info score %s %d%s depth %d seldepth %d time %lu nodes %llu nps %u hashfull %d tbhits %llu %spv",
                  kind, value, marks, depth, thisThread->selDepth, (unsigned long)elapsed,
                  (unsigned long long)totalNodes(), nodesPerSecond(elapsed), ttHashfull(), (unsigned long long)totalTbHits(),
                  number);
}

/// Lengthens the principal variation by the table's move for the current
/// position; false when the table has none that fits or the move's squares
/// already occur in the line (which would lead round in a circle).
static bool extendFromTable() {
    if (!ttTable || thisThread->pvLength[0] >= MAX_PLY - 1) return false;
    TTEntry entry;
    if (!ttProbe(ttBucket(), &entry) || !entry.move) return false;
    Move move = unpackMove(entry.move);
    if (!isPieceOf(moveFrom(move), pos.sideToMove)) return false;
    if (isPieceOf(moveTo(move), pos.sideToMove) && !castlingMoveFor(moveFrom(move), moveTo(move))) return false;
    for (int i = 0; i < thisThread->pvLength[0]; i++)
        if ((thisThread->pvTable[0][i] & 0xFFF) == (move & 0xFFF)) return false;
    thisThread->pvTable[0][thisThread->pvLength[0]++] = move;
    return true;
}

/// Makes `move` of a line in the current position after appending its text
/// (with "+" for a check in xboard's algebraic form) to `line`; false, with
/// nothing appended, when it is no legal move there. Returns the move with
/// its flags through *made.
static bool appendAndMake(char *line, Move move, Move *made) {
    if (!move || !hashMoveIsSane(move)) return false;
    move = completeMove(move);
    bool uci = uciMode();
    char text[16];
    std::snprintf(text, sizeof text, "%s", uci ? moveToUci(move) : moveToSan(move));
    if (!makeMove(move)) return false;
    appendText(line, " %s%s", text, !uci && inCheck() ? "+" : "");
    *made = move;
    return true;
}

/// Plays through the line, appending each move's text, and takes it back.
static void appendLine(int depth) {
    int made = 0;
    for (int i = 0;; i++) {
        if (i >= thisThread->pvLength[0] && (thisThread->pvLength[0] >= depth || !extendFromTable())) break;
        if (!appendAndMake(thinkingLine, thisThread->pvTable[0][i], &thisThread->pvTable[0][i])) {
            thisThread->pvLength[0] = uint8_t(i);  // a stale line ends at its first illegal move
            break;
        }
        made++;
    }
    while (made--) unmakeMove();
}

void printPV(int depth, int score, uint8_t bound) {
    if (depth > 0) {
        writeHeader(thinkingLine, 1, depth, score, bound, thisThread->pvTable[0][0]);
        appendLine(depth);
    }
    if (options.optionFlags & OPT_POST) reply("%s\n", thinkingLine);
}

void printLine(int lineNumber, int depth, int score, const Move *line, uint8_t bound) {
    if (!uciMode() && !(options.optionFlags & OPT_POST)) return;
    static char text[THINKING_LINE_SIZE];
    writeHeader(text, lineNumber, depth, score, bound, line[0]);
    int made = 0;
    for (Move move; made < MAX_PLY - 1 && line[made] && appendAndMake(text, line[made], &move);) made++;
    while (made--) unmakeMove();
    reply("%s\n", text);
}

void printWindowFail(bool high, int depth, int score) {
    if (!isMainSearchThread()) return;
    if (uciMode()) {
        // A fail high was shown with its lower bound when it happened.
        if (!high) printLine(1, depth, score, mainThread.savedPv, BOUND_UPPER);
    } else if (options.optionFlags & OPT_POST) {
        reply(high ? "++\n" : "--\n");
    }
}

void pollSearch() {
    if (!isMainSearchThread()) {
        pollHelper();
        return;
    }
    if (nodeBudgetSpent()) stopAtNodeBudget();
    if (thisThread->nodeCount % POLL_NODES != 0 || thisThread->iterationDepth <= 2) return;
    pollSignals();
}
