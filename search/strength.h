// A weaker opponent on demand: a game search limited to the nodes a player
// of the chosen Elo would look at, a move chosen among the best few with a
// loss that grows as the level falls, and a pause so that the move does not
// come at once.
#pragma once

/// The Elo the engine plays at: UCI_Elo while the strength is limited, else
/// the Elo of a Skill Level below its top; 0 at full strength.
int strengthElo();

/// Called once the root is prepared. `playing` is true for a game search
/// that the strength limit may weaken (not analysis, nor a root the
/// tablebases settle). Returns true when it does: the search then keeps
/// several lines and gets a node budget of the chosen level.
bool strengthLimitSearch(bool playing);

/// True while the running search is weakened.
bool strengthLimited();

/// After a weakened search: picks the move to play among the stored lines,
/// at random, better moves more likely, none losing more than the level
/// tolerates, and makes its line the principal variation.
void strengthChooseMove();

/// After a weakened search under a clock: waits, reading the input, until
/// a share of the full engine's normal time for the move has passed or a
/// command ends the search.
void strengthWait();
