// Move ordering: history and killers, the hash-move and principal-variation
// marks, best-first selection and the staged picker of the main search.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

/// A history counter never grows past this: the quiet-move ordering score
/// holds 64 times the counter, which must stay inside 32 bits.
constexpr int32_t HISTORY_LIMIT = 1 << 24;

/// Empties history and killers, as at the start of every search.
void clearHistoryAndKillers();

/// Adds to a move's history counter; when one passes HISTORY_LIMIT every
/// counter is halved, which keeps their order.
void addHistory(Move move, int amount);

/// Makes a non-capturing, non-promoting best move the first killer of the
/// current ply, the old first killer becoming the second.
void updateKillers(Move best);

/// Gives the quiet moves of the current ply's whole list (from genAllMoves
/// or genEvasions) their ordering score: piece-square gain, history and the
/// killer marks. Captures and promotions keep the generator's score.
void scoreQuietMoves();

/// Marks the first entry of the current ply's list with the same from, to
/// and promotion as `move`.
void markHashMove(Move move);

/// Marks the previous iteration's principal-variation move at this ply and
/// keeps followPv set only when the list holds it.
void markPvMove();

/// Takes the best-scored entry of moveList[index .. end of the ply's list),
/// the first one on equal scores, and moves the entry at index into its
/// place. Scores compare as unsigned numbers.
Move pickNextMove(uint32_t index);

/// Like pickNextMove after removing every entry equal to exclude1 or
/// exclude2 from the list; 0 when no entry with a score above 0 remains.
Move pickMoveExcluding(uint32_t index, Move exclude1, Move exclude2);

/// The move with the flag bits the generators would give it in the current
/// position (from, to and promotion type are kept).
Move completeMove(Move move);

/// True when a killer from another position is a legal-looking quiet move
/// here: own piece, empty target, a clear path of the piece's kind.
bool killerIsValid(Move move);

/// True when a table move fits the position: own piece on from, no own
/// piece on to, a pawn capture onto an empty square only en passant, and
/// castling only with its right.
bool hashMoveIsSane(Move move);

/// The staged picker of the main search: hash move, captures, first killer,
/// then the quiet moves.
struct MovePicker {
    int stage;
    uint32_t index;    // next entry of the ply's list
    Move hashMove;     // as delivered (flags filled in), or the raw table move
    Move firstKiller;  // the killer delivered in its stage, else 0
};

/// Prepares the picker of the current ply.
void startPicker(MovePicker &picker, Move hashMove);

/// The next move of the staged picker, 0 when the node has no more.
Move nextPickedMove(MovePicker &picker);
