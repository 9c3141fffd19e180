// Regular files and folders named by settings.
#include "engine/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FILE *openRegularFile(const char *path, bool writable, const char **reason) {
    *reason = CANNOT_BE_OPENED;
    // Without O_NONBLOCK, opening a FIFO for reading waits for a writer.
    int fd = open(path, (writable ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EISDIR) *reason = NOT_A_REGULAR_FILE;
        return nullptr;
    }
    struct stat info;
    bool known = fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        if (known) *reason = NOT_A_REGULAR_FILE;
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE *file = fdopen(fd, writable ? "rb+" : "rb");
    if (!file) close(fd);
    return file;
}

const char *folderProblem(const char *path) {
    struct stat info;
    if (stat(path, &info) != 0) return "does not exist";
    return S_ISDIR(info.st_mode) ? nullptr : "is not a folder";
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
