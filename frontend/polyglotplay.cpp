// Playing from a Polyglot book: its setting, switching it with the own book,
// the book step of the engine's turn and the "bk" display.
#include "frontend/polyglotplay.h"

#include <cstdio>

#include "board/notation.h"
#include "board/repetition.h"
#include "book/polyglot.h"
#include "engine/output.h"
#include "engine/settings.h"

static char bookPath[256];
static bool booksOn = true;

/// Opens the remembered book when books are on; names a refused file in one
/// message: an info string in UCI mode, a plain line in xboard mode.
static void openRememberedBook() {
    polyglotClose();
    if (!booksOn || !bookPath[0]) return;
    const char *message = polyglotOpen(bookPath);
    if (!message) return;
    notice("%s", message);
}

void setPolyglotBookPath(const char *path) { std::snprintf(bookPath, sizeof bookPath, "%s", path); }

void usePolyglotBook(const char *path) {
    setPolyglotBookPath(path);
    openRememberedBook();
}

void switchPolyglotBook(bool on) {
    booksOn = on;
    openRememberedBook();
}

const char *polyglotBookPath() { return bookPath; }

bool booksSwitchedOn() { return booksOn; }

/// The candidates whose move does not lead to a position the game has
/// already had; returns their count.
static int candidatesForPlay(PolyglotCandidate *candidates) {
    int count = polyglotCandidates(candidates), kept = 0;
    for (int i = 0; i < count; i++) {
        if (!moveRepeatsPosition(candidates[i].move)) candidates[kept++] = candidates[i];
    }
    return kept;
}

/// xboard: the first ten candidates as the thinking line "0 0 0 0 ( ... )".
static void showCandidateLine(const PolyglotCandidate *candidates, int count) {
    print("0 0 0 0 ( ");
    for (int i = 0; i < count && i < 10; i++) print("%s ", moveToSan(candidates[i].move));
    reply(")\n");
}

Move polyglotBookMove() {
    PolyglotCandidate candidates[POLYGLOT_MAX_CANDIDATES];
    int count = candidatesForPlay(candidates);
    if (!count) return 0;
    if (!uciMode()) showCandidateLine(candidates, count);
    return polyglotChoose(candidates, count);
}

bool showPolyglotCandidates() {
    PolyglotCandidate candidates[POLYGLOT_MAX_CANDIDATES];
    int count = polyglotCandidates(candidates);
    if (!count) return false;
    unsigned long total = 0;
    for (int i = 0; i < count; i++) total += candidates[i].weight;
    // Every line of the display begins with a blank; an empty line ends it.
    print(" Move\t[Weight, Share]\n");
    for (int i = 0; i < count; i++) {
        unsigned long share = total ? (candidates[i].weight * 200UL + total) / (2 * total) : 0;
        print(" %s\t[%u, %lu%%]\n", moveToSan(candidates[i].move), candidates[i].weight, share);
    }
    reply("\n");
    return true;
}
