// Reading command lines from standard input and dispatching them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int INPUT_BUFFER_SIZE = 4096;

/// Non-zero when a complete line can be read without waiting.
uint32_t inputAvailable();

/// The next line without its line end, or nullptr: without blocking when no
/// complete line is waiting, with blocking only at end of input.
char *readInput(bool blocking);

/// Reads one line and dispatches it. The search calls this while it runs.
void checkInput(bool blocking);

/// Handles one command line: console commands first, then the handler of
/// the active protocol.
void dispatchLine(char *line);

/// The next blank-separated token of the line being dispatched, or nullptr.
char *nextToken();

/// The untokenized rest of the line being dispatched (may be empty).
char *restOfLine();

/// `text` without the blanks at its start and end (cut in place).
char *trimBlanks(char *text);

/// Lets the tokenizer go on from `text`, a position inside the line.
void resumeTokensAt(char *text);

/// True once standard input has reached its end.
extern bool inputClosed;

// Each operating system's way of reading standard input.

/// Sets standard input and output up for the engine's own line handling,
/// before anything is read or printed.
void inputStart();

/// Non-zero when a read of standard input would return at once: bytes are
/// waiting, or the input has ended, or the query failed (the read then finds
/// out which). Never waits.
uint32_t inputWaiting();

/// Reads at most `size` bytes of standard input, waiting for the first:
/// the count, 0 at the end of input, or negative on a read error.
long inputRead(char *buffer, size_t size);
