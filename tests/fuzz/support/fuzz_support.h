// What every fuzz target needs: the engine started as at start-up, a
// scratch folder to write its input files in, and a whole command session
// fed to the main loop as its standard input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// At the start of each input: the first time, the tables allocated (small)
/// and the output sent to nothing; every time, a scratch folder of the
/// process as the working directory, where the engine looks for
/// QuorBook.bin and quor.cfg.
void fuzzStartEngine();

/// At the end of each input: back to the working directory of the start,
/// where libFuzzer reads its corpus files by their relative paths.
void fuzzStopEngine();

/// Settings, time control, search flags and the game as start-up leaves
/// them, so that one input does not depend on the ones before it.
void fuzzResetEngine();

/// Plays the legal move of the current position written `text` ("e2e4")
/// as the main loop plays it; false when there is none.
bool fuzzPlayMove(const char *text);

/// From the start position each time, asks `probe` in every position along
/// 1.e4 e5 2.Nf3 and 1.d4 Nf6 2.c4, the first moves of the common openings.
void fuzzProbeOpenings(void (*probe)());

/// Writes the input as the file `name` of the scratch folder; its path.
std::string fuzzWriteFile(const char *name, const uint8_t *data, size_t size);

/// Runs the main loop on `opening` followed by the input as standard input,
/// one line per read, until "quit" or the end of the input. Searches stay
/// small: no iteration deeper than a few plies is begun once the next line
/// is read, and commands that ask for big tables, many threads or long
/// counts get their numbers cut.
void fuzzSession(const char *opening, const uint8_t *data, size_t size);
