// xboard's "exclude" and "include": the root moves the engine leaves out of
// its analysis and of its next search in the current position.
#pragma once

/// "exclude MOVE", "include MOVE", "exclude all", "include all" for the root
/// position (the position a running search started from); a list kept for
/// another position is forgotten first. Returns true when the set changed.
bool changeExclusions(bool exclude, const char *move);

/// Forgets every exclusion: the game reached another position.
void forgetExclusions();

/// Before a search in xboard mode: the root moves to search become the legal
/// moves not excluded in the current position (every move when that leaves
/// none). A search that plays a move uses them up.
void applyExclusions();
