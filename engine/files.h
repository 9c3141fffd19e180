// Opening the files and folders that settings name. A setting may name
// anything: a FIFO or a device would block the engine or never end, so only
// regular files are opened as files and only folders are taken as folders.
#pragma once

#include <cstdio>

/// The reasons openRegularFile gives for a refusal.
inline constexpr char CANNOT_BE_OPENED[] = "it cannot be opened";
inline constexpr char NOT_A_REGULAR_FILE[] = "it is not a regular file";

/// Opens `path` for reading (with `writable`, for reading and writing) when
/// it is a regular file, without waiting on a FIFO or a device. On refusal
/// returns nullptr and sets *reason to CANNOT_BE_OPENED or
/// NOT_A_REGULAR_FILE.
FILE *openRegularFile(const char *path, bool writable, const char **reason);

/// Why `path` cannot serve as a folder ("does not exist", "is not a
/// folder"), or nullptr when it can.
const char *folderProblem(const char *path);

/// The first of the folders listed in `list` (separated by any character of
/// `separators`) that cannot serve as one, copied into `folder` (of `size`
/// bytes), with its reason; nullptr when every listed folder can.
const char *listedFolderProblem(const char *list, const char *separators, char *folder, size_t size);
