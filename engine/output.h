// The one path for everything the engine prints.
#pragma once

#include <cstdio>

/// Where output goes: standard output, or a test's capture stream.
extern FILE *outputStream;

/// printf-style output without a flush.
void print(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// Pushes buffered output to the interface.
void flushOutput();

/// printf-style protocol reply, flushed at once.
void reply(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// A line for the user, flushed at once: an "info string" in UCI mode, a
/// plain line otherwise. The format gives the text without a newline.
void notice(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// A reply shown only in UCI mode after "debug on".
void debugPrint(const char *format, ...) __attribute__((format(printf, 1, 2)));
