// Files and folders on Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/files.h"

const char FOLDER_SEPARATOR = '/';
const char FOLDER_LIST_SEPARATOR[] = ":";
extern const char NULL_DEVICE[] = "/dev/null";

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

PathKind pathKind(const char *path) {
    struct stat info;
    if (stat(path, &info) != 0) return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool listFolder(const char *folder, void (*visit)(const char *name, void *context), void *context) {
    DIR *entries = opendir(folder);
    if (!entries) return false;
    while (const dirent *entry = readdir(entries)) visit(entry->d_name, context);
    closedir(entries);
    return true;
}

bool fileIdentity(FILE *file, FileIdentity *identity) {
    struct stat info;
    if (fstat(fileno(file), &info) != 0) return false;
    *identity = {uint64_t(info.st_dev), uint64_t(info.st_ino), uint64_t(info.st_size),
                 uint64_t(info.st_mtim.tv_sec) * 1000000000 + uint64_t(info.st_mtim.tv_nsec)};
    return true;
}

bool replaceFile(const char *from, const char *to) { return std::rename(from, to) == 0; }

bool seekFile(FILE *file, uint64_t offset) { return fseeko(file, off_t(offset), SEEK_SET) == 0; }

const char *programFolder() {
    static char folder[4096];
    static bool known = false;
    if (known) return folder;
    known = true;
    // Linux names the running program in /proc (qemu's user mode too).
    ssize_t length = readlink("/proc/self/exe", folder, sizeof folder - 1);
    while (length > 0 && folder[length - 1] != '/') length--;
    if (length > 1) length--;  // the separator, unless the program lies in the root
    folder[length > 0 ? length : 0] = '\0';
    return folder;
}
