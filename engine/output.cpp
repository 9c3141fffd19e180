// Every line the engine prints goes through here, so that protocol replies
// are flushed at once and tests can capture the output.
#include "engine/output.h"

#include <cstdarg>

#include "engine/settings.h"

FILE *outputStream = stdout;

void print(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(outputStream, format, arguments);
    va_end(arguments);
}

void flushOutput() { std::fflush(outputStream); }

void reply(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(outputStream, format, arguments);
    va_end(arguments);
    std::fflush(outputStream);
}

void notice(const char *format, ...) {
    if (uciMode()) std::fputs("info string ", outputStream);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(outputStream, format, arguments);
    va_end(arguments);
    std::fputc('\n', outputStream);
    std::fflush(outputStream);
}

void debugPrint(const char *format, ...) {
    if ((options.optionFlags & (OPT_UCI | OPT_DEBUG)) != (OPT_UCI | OPT_DEBUG)) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(outputStream, format, arguments);
    va_end(arguments);
    std::fflush(outputStream);
}
