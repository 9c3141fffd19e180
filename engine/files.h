// Opening the files and folders that settings name. A setting may name
// anything: a FIFO or a device would block the engine or never end, so only
// regular files are opened as files and only folders are taken as folders.
//
// What differs between operating systems (how a path is written, how a file
// is checked, how a folder is listed, where the program itself lies) is
// defined by files_posix.cpp or files_windows.cpp behind the same routines.
#pragma once

#include <cstdint>
#include <cstdio>

/// The reasons openRegularFile gives for a refusal.
inline constexpr char CANNOT_BE_OPENED[] = "it cannot be opened";
inline constexpr char NOT_A_REGULAR_FILE[] = "it is not a regular file";

/// The character between a folder and a name inside it: '\' on Windows,
/// '/' elsewhere (Windows takes '/' too).
extern const char FOLDER_SEPARATOR;

/// What separates the folders of a list such as the Syzygy path: ";" on
/// Windows, where a drive letter holds a ':', and ":" elsewhere.
extern const char FOLDER_LIST_SEPARATOR[];

/// Opens `path` for reading (with `writable`, for reading and writing) when
/// it is a regular file, without waiting on a FIFO or a device. On refusal
/// returns nullptr and sets *reason to CANNOT_BE_OPENED or
/// NOT_A_REGULAR_FILE.
FILE *openRegularFile(const char *path, bool writable, const char **reason);

/// What a path names.
enum class PathKind { Missing, Folder, Other };

/// What `path` names, without opening it.
PathKind pathKind(const char *path);

/// Why `path` cannot serve as a folder ("does not exist", "is not a
/// folder"), or nullptr when it can.
const char *folderProblem(const char *path);

/// The first of the folders listed in `list` (separated by any character of
/// `separators`) that cannot serve as one, copied into `folder` (of `size`
/// bytes), with its reason; nullptr when every listed folder can.
const char *listedFolderProblem(const char *list, const char *separators, char *folder, size_t size);

/// Calls `visit` with the name of every entry of `folder` (without the
/// folder) and `context`; false when the folder cannot be read.
bool listFolder(const char *folder, void (*visit)(const char *name, void *context), void *context);

/// What tells one state of a file from another: the same file unchanged
/// gives the same identity.
struct FileIdentity {
    uint64_t volume, file, size, modified;
    bool operator==(const FileIdentity &) const = default;
};

/// The identity of an open file; false when it cannot be had.
bool fileIdentity(FILE *file, FileIdentity *identity);

/// Renames the file `from` to `to`, replacing a file of that name; false
/// on failure.
bool replaceFile(const char *from, const char *to);

/// Moves to byte `offset` of a file, which may lie beyond 2 GB; false on
/// failure.
bool seekFile(FILE *file, uint64_t offset);

/// The folder that holds the running program, without a trailing
/// separator; empty when it cannot be found.
const char *programFolder();

/// Where the engine's file `name` is: in the current folder when it is
/// there, else beside the program when it is there, else `name` (the
/// current folder). The text stays valid until the next call.
const char *locateFile(const char *name);

/// Sends what the process writes to standard output and error (through
/// the C library or below it) nowhere, until restoreStandardOutput.
void silenceStandardOutput();

/// Undoes silenceStandardOutput.
void restoreStandardOutput();
