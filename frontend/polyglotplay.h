// Playing from a Polyglot book: its setting, switching it with the own book,
// the book step of the engine's turn and the "bk" display.
#pragma once

#include "board/types.h"

/// Remembers the book's path (empty: no book) without opening it: the
/// settings file is read before the engine is ready to report.
void setPolyglotBookPath(const char *path);

/// Uses the book at `path` (empty: none); a refused file is named in one
/// message.
void usePolyglotBook(const char *path);

/// OwnBook: switches the Polyglot book on and off with the engine's own
/// book. Switching on opens the book of the remembered path again.
void switchPolyglotBook(bool on);

/// The remembered path (empty: no book).
const char *polyglotBookPath();

/// True while the books are switched on (OwnBook).
bool booksSwitchedOn();

/// The book's move for the engine's turn, 0 when it has none: a weighted
/// choice among the candidates that do not lead back to a position of the
/// game. In xboard mode the candidates are shown first as a thinking line.
Move polyglotBookMove();

/// xboard "bk": the candidates with their weights and shares; false when
/// the book has none for the position.
bool showPolyglotCandidates();
