// The engine's turn in the main loop: think, play, answer, keep the clock,
// and ponder on the opponent's time.
#pragma once

/// Runs the engine's turn when it is to move and the game is not over.
void playEngineTurn();
