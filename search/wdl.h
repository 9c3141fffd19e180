// The win/draw/loss a score promises: a model of Quor's own games, which
// gives the chances of the side to move from the score it reported and the
// material left on the board.
#pragma once

#include "board/types.h"

/// Expected results per mille, summing to 1000.
struct Wdl {
    int win, draw, loss;
};

/// The material the model reads: pawns 1, knights and bishops 3, rooks 5
/// and queens 9, of both sides (78 at the start).
int wdlMaterial();

/// The model's chances for the side to move with `score` (centipawns, not
/// a mate) and `material` on the board.
Wdl wdlOfScore(int score, int material);

/// The chances a line of the running search promises, at its root: certain
/// for a mate and for a tablebase result (the root's verdict holds for every
/// root move that keeps it, `rootMove` being the line's first), else the
/// model's with the root's material.
Wdl lineWdl(int score, Move rootMove);
