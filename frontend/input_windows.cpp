// Standard input on Windows. The first use tells a console from a pipe: the
// console-mode query fails on anything but a console. A console gets window
// and mouse input masked out and its waiting events dropped, and is asked
// for its event count; a pipe is asked how many bytes wait in it. Both are
// read unbuffered through descriptor 0.
//
// Where the pipe query does not answer at all (standard input is a file, or
// a Unix pipe when a Linux program runs the engine under Wine), a read
// might wait for the next line and stop the search dead. A reader thread
// then does the waiting reads and hands the engine what it has read, so
// that asking never waits.
//
// Standard input and output are in binary mode: a waiting-byte count then
// agrees with what a read returns (in text mode a carriage return at the
// end of the waiting bytes makes the C library wait for the byte after it,
// and a Ctrl-Z ends the input), and lines go out ending in a line feed
// alone, as on every other system, which interfaces read either way.
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "frontend/input.h"

enum class InputKind { Unknown, Console, Pipe, ReaderThread };
static InputKind inputKind = InputKind::Unknown;

// What the reader thread has read and the engine has not yet taken, and how
// the thread's reads ended: 1 while it reads, 0 at the end of input,
// negative after a read error. Guarded by readerLock.
static SRWLOCK readerLock = SRWLOCK_INIT;
static CONDITION_VARIABLE readerChanged = CONDITION_VARIABLE_INIT;
static char readerBuffer[INPUT_BUFFER_SIZE];
static size_t readerCount = 0;
static int readerState = 1;

/// The reader thread: waits on descriptor 0 and appends what arrives, until
/// the input ends or fails.
static unsigned __stdcall readerLoop(void *) {
    char chunk[INPUT_BUFFER_SIZE];
    int count;
    do {
        count = _read(0, chunk, sizeof chunk);
        AcquireSRWLockExclusive(&readerLock);
        while (count > 0 && readerCount + size_t(count) > sizeof readerBuffer)
            SleepConditionVariableSRW(&readerChanged, &readerLock, INFINITE, 0);
        if (count > 0) {
            std::memcpy(readerBuffer + readerCount, chunk, size_t(count));
            readerCount += size_t(count);
        } else {
            readerState = count;
        }
        WakeAllConditionVariable(&readerChanged);
        ReleaseSRWLockExclusive(&readerLock);
    } while (count > 0);
    return 0;
}

/// The first use: console, pipe, or neither (a reader thread).
static void decideInputKind() {
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode, bytes;
    if (GetConsoleMode(handle, &mode)) {
        SetConsoleMode(handle, mode & ~DWORD(ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT));
        FlushConsoleInputBuffer(handle);
        inputKind = InputKind::Console;
    } else if (PeekNamedPipe(handle, nullptr, 0, nullptr, &bytes, nullptr) || GetLastError() == ERROR_BROKEN_PIPE) {
        inputKind = InputKind::Pipe;  // a pipe, perhaps already closed by the interface
    } else {
        bool started = _beginthreadex(nullptr, 0, readerLoop, nullptr, 0, nullptr) != 0;
        inputKind = started ? InputKind::ReaderThread : InputKind::Pipe;
    }
}

void inputStart() {
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
}

uint32_t inputWaiting() {
    if (inputKind == InputKind::Unknown) decideInputKind();
    // The handle is asked each time: a test may put another pipe in place.
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    DWORD count = 0;
    switch (inputKind) {
        case InputKind::Console:
            // A single event is usually a key let go.
            return GetNumberOfConsoleInputEvents(handle, &count) && count > 1 ? count : 0;
        case InputKind::Pipe:
            // A failed query (the interface has closed the pipe) lets a read find out.
            return PeekNamedPipe(handle, nullptr, 0, nullptr, &count, nullptr) ? count : 1;
        default:
            AcquireSRWLockShared(&readerLock);
            count = readerCount > 0 || readerState <= 0 ? 1 : 0;
            ReleaseSRWLockShared(&readerLock);
            return count;
    }
}

long inputRead(char *buffer, size_t size) {
    if (inputKind == InputKind::Unknown) decideInputKind();
    if (inputKind != InputKind::ReaderThread) return _read(0, buffer, unsigned(std::min<size_t>(size, INT_MAX)));
    AcquireSRWLockExclusive(&readerLock);
    while (readerCount == 0 && readerState > 0) SleepConditionVariableSRW(&readerChanged, &readerLock, INFINITE, 0);
    size_t count = std::min(size, readerCount);
    std::memcpy(buffer, readerBuffer, count);
    std::memmove(readerBuffer, readerBuffer + count, readerCount - count);
    readerCount -= count;
    long result = count > 0 ? long(count) : readerState;
    WakeAllConditionVariable(&readerChanged);
    ReleaseSRWLockExclusive(&readerLock);
    return result;
}
