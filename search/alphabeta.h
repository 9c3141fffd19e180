// The main alpha-beta search below the root.
#pragma once

#include <cstdint>

/// Node flag: null move and internal iterative deepening allowed.
constexpr uint8_t NODE_NULL_ALLOWED = 1;
/// Node flag: the move into this node already earned the recapture extension.
constexpr uint8_t NODE_RECAPTURE = 2;

/// Fail-soft principal-variation search of the current position to `depth`
/// plies, with `extension` quarter plies carried from the parent.
int16_t alphaBeta(int16_t alpha, int16_t beta, int8_t depth, int8_t extension, uint8_t flags);

/// Searches the position after a move from the mover's point of view: the
/// first move with the full window, later ones with a null window first and
/// again with the full window when that lands inside it. Depth below 1 goes
/// to the quiescence search.
int16_t searchChild(int16_t alpha, int16_t beta, int depth, int extension, uint8_t flags, bool firstMove);

/// After a checking move: true unless the check is a plain check by a piece
/// the checked side can take, that nothing defends or backs up.
bool checkNeedsExtension();

/// Depth of the null-move search at a node of this depth: two plies less,
/// and a third of the depth less again when the side to move has more than
/// a rook and a minor piece (else one ply).
int nullMoveDepth(int depth);

/// True when a node may try the null move: allowed by its flags, not in
/// check, no mate threat, not a full window, enough material, and at depth 2
/// only when the opponent has no safe check.
bool nullMoveAllowed(uint8_t flags, bool checked, bool mateThreat, int depth, int16_t beta);

/// Static-score margins of the quiet-move reduction test, by depth.
extern const int16_t futilityMargin[11];
