// Files and folders on Windows: paths with drive letters, backslashes and
// blanks, read through the system's own calls where the C library would
// open anything it is given.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstring>

#include "engine/files.h"

const char FOLDER_SEPARATOR = '\\';
const char FOLDER_LIST_SEPARATOR[] = ";";
extern const char NULL_DEVICE[] = "NUL";

FILE *openRegularFile(const char *path, bool writable, const char **reason) {
    *reason = CANNOT_BE_OPENED;
    if (pathKind(path) == PathKind::Folder) {
        *reason = NOT_A_REGULAR_FILE;
        return nullptr;
    }
    // Opening a pipe's name or a device never waits; what is opened is
    // then asked whether it is a file on a disk.
    HANDLE handle = CreateFileA(path, GENERIC_READ | (writable ? GENERIC_WRITE : 0), FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        *reason = NOT_A_REGULAR_FILE;
        CloseHandle(handle);
        return nullptr;
    }
    int fd = _open_osfhandle(intptr_t(handle), (writable ? _O_RDWR : _O_RDONLY) | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE *file = _fdopen(fd, writable ? "rb+" : "rb");
    if (!file) _close(fd);
    return file;
}

PathKind pathKind(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Folder : PathKind::Other;
}

bool listFolder(const char *folder, void (*visit)(const char *name, void *context), void *context) {
    char pattern[MAX_PATH + 4];
    int length = std::snprintf(pattern, sizeof pattern, "%s\\*", folder);
    if (length < 0 || size_t(length) >= sizeof pattern) return false;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    do visit(entry.cFileName, context);
    while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
}

bool fileIdentity(FILE *file, FileIdentity *identity) {
    BY_HANDLE_FILE_INFORMATION info;
    HANDLE handle = HANDLE(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return false;
    auto join = [](DWORD high, DWORD low) { return uint64_t(high) << 32 | low; };
    *identity = {info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                 join(info.nFileSizeHigh, info.nFileSizeLow),
                 join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
    return true;
}

const char *programFolder() {
    static char folder[MAX_PATH + 1];
    static bool known = false;
    if (known) return folder;
    known = true;
    DWORD length = GetModuleFileNameA(nullptr, folder, sizeof folder);
    if (length >= sizeof folder) length = 0;  // cut short
    while (length > 0 && folder[length - 1] != '\\' && folder[length - 1] != '/') length--;
    if (length > 0) length--;
    folder[length] = '\0';
    return folder;
}

bool replaceFile(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;  // the C library's rename keeps an existing file
}

bool seekFile(FILE *file, uint64_t offset) { return _fseeki64(file, int64_t(offset), SEEK_SET) == 0; }
