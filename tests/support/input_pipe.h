// A pipe on the engine's standard input, through which a test sends
// command lines.
#pragma once

/// Makes a pipe and puts its reading end on standard input (descriptor 0);
/// returns the writing end, or -1 when no pipe can be had.
int pipeToStandardInput();

/// Makes a pipe: ends[0] to read, ends[1] to write; false on failure. Each
/// system's own (input_pipe_posix.cpp, input_pipe_windows.cpp).
bool makePipe(int ends[2]);
