// The xboard (WinBoard) protocol, version 2.
#pragma once

/// Handles one xboard command (the lower-case command word; its arguments
/// come from nextToken). Runs from the main loop and from inside a search.
void xboardCommand(const char *word);
