// Command input: lines are read straight from standard input into the
// engine's own buffer, so that the search can ask without blocking whether a
// command is waiting, and several lines that arrive in one read are handed
// out one by one. How standard input is asked and read is each operating
// system's own (input_posix.cpp, input_windows.cpp).
#include "frontend/input.h"

#include <cstdlib>
#include <cstring>

#include "engine/output.h"
#include "frontend/console.h"
#include "frontend/control.h"
#include "frontend/uci.h"
#include "frontend/xboard.h"

bool inputClosed = false;

static char pendingInput[INPUT_BUFFER_SIZE];  // received, not yet returned; zero-terminated
static size_t pendingLength = 0;
static char lineBuffer[INPUT_BUFFER_SIZE];
static bool discardingLongLine = false;  // the rest of a cut line is being dropped
static char *tokenCursor = nullptr;      // where the tokenizer goes on in the dispatched line

static bool lineIsPending() { return std::memchr(pendingInput, '\n', pendingLength) != nullptr; }

uint32_t inputAvailable() {
    if (lineIsPending()) return 1;
    if (inputClosed) return 0;
    return inputWaiting();
}

/// Appends received bytes; while the rest of an overlong line is being
/// dropped, bytes up to its line feed are discarded.
static void appendInput(const char *data, size_t count) {
    if (discardingLongLine) {
        const char *lineEnd = static_cast<const char *>(std::memchr(data, '\n', count));
        if (!lineEnd) return;
        discardingLongLine = false;
        count -= size_t(lineEnd + 1 - data);
        data = lineEnd + 1;
    }
    std::memcpy(pendingInput + pendingLength, data, count);
    pendingLength += count;
    pendingInput[pendingLength] = '\0';
}

/// One read into the free space of the buffer: > 0 bytes, 0 at end of
/// input. A read error ends the program.
static long readOnce() {
    char chunk[INPUT_BUFFER_SIZE];
    size_t space = INPUT_BUFFER_SIZE - 1 - pendingLength;
    long count = inputRead(chunk, space);
    if (count < 0) {
        reply("ERROR (input I/O stream is unreadable, exiting): readInput\n");
        std::exit(1);
    }
    if (count == 0) inputClosed = true;
    else appendInput(chunk, size_t(count));
    return count;
}

/// Moves `length` bytes of pending input (plus `dropped` bytes of line end)
/// into lineBuffer as the next line.
static char *takeLine(size_t length, size_t dropped) {
    std::memcpy(lineBuffer, pendingInput, length);
    lineBuffer[length] = '\0';
    if (length > 0 && lineBuffer[length - 1] == '\r') lineBuffer[length - 1] = '\0';
    pendingLength -= length + dropped;
    std::memmove(pendingInput, pendingInput + length + dropped, pendingLength + 1);
    return lineBuffer;
}

/// The next complete line, a line cut at the buffer size, or nullptr.
static char *nextPendingLine() {
    const char *lineEnd = static_cast<const char *>(std::memchr(pendingInput, '\n', pendingLength));
    if (lineEnd) return takeLine(size_t(lineEnd - pendingInput), 1);
    if (pendingLength == INPUT_BUFFER_SIZE - 1) {  // no room left: cut the line here
        discardingLongLine = true;
        return takeLine(pendingLength, 0);
    }
    if (inputClosed && pendingLength > 0) return takeLine(pendingLength, 0);  // last line without a line end
    return nullptr;
}

char *readInput(bool blocking) {
    char *line = nextPendingLine();
    if (line) return line;
    if (!blocking) {
        if (inputAvailable()) readOnce();
        return nextPendingLine();
    }
    while (!inputClosed) {
        readOnce();
        if ((line = nextPendingLine())) return line;
    }
    return nextPendingLine();
}

void checkInput(bool blocking) {
    char *line = readInput(blocking);
    if (line) {
        dispatchLine(line);
    } else if (inputClosed) {
        // End of input: leave as on "quit".
        game.pendingCommand = CMD_QUIT;
        searchSignal = SIG_ABORT;
    }
}

char *nextToken() {
    if (!tokenCursor) return nullptr;
    while (*tokenCursor == ' ') tokenCursor++;
    if (!*tokenCursor) return nullptr;
    char *token = tokenCursor;
    while (*tokenCursor && *tokenCursor != ' ') tokenCursor++;
    if (*tokenCursor) *tokenCursor++ = '\0';
    return token;
}

char *restOfLine() { return tokenCursor ? tokenCursor : const_cast<char *>(""); }

char *trimBlanks(char *text) {
    while (*text == ' ') text++;
    size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ') text[--length] = '\0';
    return text;
}

void resumeTokensAt(char *text) { tokenCursor = text; }

void dispatchLine(char *line) {
    debugPrint("(%lu) < %s\n", static_cast<unsigned long>(elapsedMs()), line);
    game.pendingCommand = 0;
    tokenCursor = line;
    char *word = nextToken();
    if (!word) return;  // a blank line
    for (char *c = word; *c; c++)
        if (*c >= 'A' && *c <= 'Z') *c = char(*c + 32);

    if (!std::strcmp(word, "xboard")) {
        options.optionFlags = uint16_t((options.optionFlags & ~OPT_UCI) | OPT_XBOARD);
    } else if (!std::strcmp(word, "uci")) {
        options.optionFlags = uint16_t((options.optionFlags & ~OPT_XBOARD) | OPT_UCI);
        uciCommand(word);
    } else if (!consoleCommand(word)) {
        if (options.optionFlags & OPT_XBOARD) xboardCommand(word);
        else if (options.optionFlags & OPT_UCI) uciCommand(word);
    }
}
