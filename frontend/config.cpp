// The settings file and the banner.
#include "frontend/config.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "engine/files.h"
#include "engine/output.h"
#include "frontend/control.h"
#include "frontend/options.h"
#include "search/tt.h"

uint8_t ttShiftForKilobytes(uint32_t kilobytes) {
    if (kilobytes < 48) kilobytes = 3100;
    return ttShiftForBytes(uint64_t(kilobytes) * 1024);
}

/// The value from `start` to the end of the line without trailing blanks:
/// a path may contain blanks.
static const char *wholeValue(char *start) {
    size_t length = std::strcspn(start, "\r\n");
    while (length > 0 && (start[length - 1] == ' ' || start[length - 1] == '\t')) length--;
    start[length] = '\0';
    return start;
}

void readConfigFile() {
    FILE *file = std::fopen(locateFile("quor.cfg"), "r");  // the current folder's, else the one beside the program
    if (!file) return;
    char line[256], original[256];
    while (std::fgets(line, sizeof line, file)) {
        std::memcpy(original, line, sizeof line);
        char *rest;
        char *key = strtok_r(line, " \t", &rest);
        char *value = key ? strtok_r(nullptr, " =\t\r\n", &rest) : nullptr;
        if (!value) continue;
        const EngineOption *option = findConfigOption(key);
        if (!option) continue;
        // A path is the rest of the line, blanks included; other values one word.
        bool text = option->type == OptionType::String || option->type == OptionType::File;
        const char *given = text ? wholeValue(original + (value - line)) : value;
        long long number = std::strtoll(value, nullptr, 10);
        if (option->configure) option->configure(given);
        else if (option->type != OptionType::Check) option->set(number, given);
        else if (number == 1) option->set(1, given);  // other values leave a check as it was
    }
    std::fclose(file);
}

void printBanner() {
    unsigned long tableKilobytes = (ttBucketsForShift(options.ttShift) * 48 + 65536) / 1024;
    print("%s\nby Velmar\n\n\rMemory Usage:\n", engineName);
    print("    Transposition Table: %lu KB\n", tableKilobytes);
    print("    Pawn Hash          : %d KB\n", 128);
    print("    Endgame Tablebase  : %d MB\n\n", tbState >= 1 ? options.egtbCacheMB : 0);
    print("EGTB Status: ");
    if (tbState >= 1) print("Maximum %d piece tablebases found\n\n", tbState);
    else print("Not found\n\n");
    print("Syzygy Status: ");
    if (syzygy.largest >= 1) print("Maximum %d piece tablebases found\n\n", syzygy.largest);
    else print("Not found\n\n");
}
