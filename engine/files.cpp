// Folders named by settings, and the engine's own files found beside the
// program; what every operating system shares.
#include "engine/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

/// The device that swallows what is written to it, named by each system's
/// file.
extern const char NULL_DEVICE[];

const char *folderProblem(const char *path) {
    switch (pathKind(path)) {
        case PathKind::Missing: return "does not exist";
        case PathKind::Other: return "is not a folder";
        default: return nullptr;
    }
}

const char *listedFolderProblem(const char *list, const char *separators, char *folder, size_t size) {
    for (const char *element = list; *element;) {
        size_t length = std::strcspn(element, separators);
        if (length > 0 && length < size) {
            std::memcpy(folder, element, length);
            folder[length] = '\0';
            if (const char *problem = folderProblem(folder)) return problem;
        }
        element += length;
        if (*element) element++;
    }
    return nullptr;
}

const char *locateFile(const char *name) {
    static char besideProgram[4096];
    if (pathKind(name) != PathKind::Missing || !*programFolder()) return name;
    int length = std::snprintf(besideProgram, sizeof besideProgram, "%s%c%s", programFolder(), FOLDER_SEPARATOR, name);
    bool fits = length > 0 && size_t(length) < sizeof besideProgram;
    return fits && pathKind(besideProgram) != PathKind::Missing ? besideProgram : name;
}

// The descriptors of standard output and error while they are silenced.
static int savedOutput = -1, savedError = -1;

void silenceStandardOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    savedOutput = dup(1);
    savedError = dup(2);
    int sink = open(NULL_DEVICE, O_WRONLY);
    if (sink < 0) return;
    dup2(sink, 1);
    dup2(sink, 2);
    close(sink);
}

void restoreStandardOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (savedOutput >= 0) dup2(savedOutput, 1), close(savedOutput);
    if (savedError >= 0) dup2(savedError, 2), close(savedError);
    savedOutput = savedError = -1;
}
