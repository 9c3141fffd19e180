// The helper threads of the parallel search. The main thread runs think as
// on one core; every helper searches its own copy of the root position with
// its own tables and shares only the transposition table with the others,
// so that their results speed up the main thread's search.
#pragma once

#include <cstdint>

/// Forgets the last search's helpers, whose nodes and tablebase hits then
/// no longer count. Call as a new search starts, with no helpers running.
void forgetHelpers();

/// Starts options.threads - 1 helpers on the current position and the
/// main thread's search state (table age, tablebase limit, score). Call
/// after the search has been prepared and forgetHelpers, with no helpers
/// running.
void startHelpers();

/// Tells the helpers to stop and waits until all have; does nothing when
/// none run.
void stopHelpers();

/// The main thread's depth of the iteration it is searching, which the
/// helpers search ahead of.
void publishIterationDepth(int depth);

/// The main thread's table age, which the helpers stamp their entries with;
/// it changes when a ponder search becomes the real one.
void publishTableAge(int16_t age);

/// Nodes of the running (or last) search: this thread's and every
/// helper's.
uint64_t totalNodes();

/// Successful Syzygy probes of the running (or last) search, over every
/// thread.
uint64_t totalTbHits();

/// True when a node budget is set and the nodes of all threads together
/// have reached it. Called every 1024 nodes by each thread; on the main
/// thread it also publishes the main thread's count for the helpers.
bool nodeBudgetSpent();

/// A helper's poll, every 1024 nodes: makes its node and tablebase-hit
/// counts visible to the main thread and abandons its search once the helpers are told to stop
/// or the node budget is spent.
void pollHelper();
