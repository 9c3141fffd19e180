// A fresh directory for the files one test writes: books, tables,
// configuration files.
#pragma once

#include <string>

struct ScratchDirectory {
    std::string path;      // empty until made
    std::string previous;  // working directory before the test entered it; empty when it did not
};

/// Makes a new empty directory quor-<name>-<number> in the system's folder
/// for temporary files and, with `enter`,
/// makes it the working directory. Fails the current test when it cannot.
void makeScratchDirectory(ScratchDirectory &scratch, const char *name, bool enter);

/// Returns to the working directory from before, when the test entered the
/// directory, and removes it with everything in it.
void removeScratchDirectory(ScratchDirectory &scratch);

/// Writes `bytes` as the file `name` in the directory; fails the current
/// test when it cannot.
void writeScratchFile(const ScratchDirectory &scratch, const std::string &name, const std::string &bytes);
