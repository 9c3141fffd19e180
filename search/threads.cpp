// Helper search threads: start, iterative deepening ahead of the main
// thread, node counts and stop.
#include "search/threads.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>

#include "board/position.h"
#include "egtb/syzygy.h"
#include "engine/settings.h"
#include "eval/pawns.h"
#include "search/deepen.h"
#include "search/limits.h"
#include "search/state.h"
#include "search/think.h"

/// One helper search thread: the system thread, its search record, and
/// what it tells the main thread while it runs.
struct HelperThread {
    std::thread thread;
    int id;                        // 1, 2, ...: which depths it searches
    SearchThread search;           // its own tables, written only by it
    std::atomic<uint64_t> nodes;   // its nodeCount, published every 1024 nodes
    std::atomic<uint64_t> tbHits;  // its syzygyHits, published with the nodes
};

static HelperThread helpers[MAX_SEARCH_THREADS - 1];
static int helperCount;
// Helpers whose counts make up the node budget's total: set before any of
// them starts, read-only while they run (helperCount grows as they start).
static int budgetHelpers;

/// The helper this thread is, nullptr on the main thread.
static constinit thread_local HelperThread *currentHelper = nullptr;

// What the helpers start from: a copy of the root position and the main
// thread's search settings, written before they start and read-only after.
static Position rootPosition;
static int16_t rootScore;
static int8_t rootTbLimit, rootSyzygyLimit;
static int rootMaxDepth;

static std::atomic<bool> stopRequested;
static std::atomic<int> mainIterationDepth;
static std::atomic<int16_t> mainTtAge;
// The main thread's nodeCount, published every 1024 nodes under a node
// budget, so that helpers can add it up.
static std::atomic<uint64_t> mainNodes;

void publishIterationDepth(int depth) { mainIterationDepth.store(depth, std::memory_order_relaxed); }

void publishTableAge(int16_t age) { mainTtAge.store(age, std::memory_order_relaxed); }

uint64_t totalNodes() {
    uint64_t nodes = mainThread.nodeCount;
    for (int i = 0; i < helperCount; i++) nodes += helpers[i].nodes.load(std::memory_order_relaxed);
    return nodes;
}

uint64_t totalTbHits() {
    uint64_t hits = syzygyHits;
    for (int i = 0; i < helperCount; i++) hits += helpers[i].tbHits.load(std::memory_order_relaxed);
    return hits;
}

/// Makes this helper's counts visible to the main thread.
static void publishCounts() {
    currentHelper->nodes.store(thisThread->nodeCount, std::memory_order_relaxed);
    currentHelper->tbHits.store(syzygyHits, std::memory_order_relaxed);
}

bool nodeBudgetSpent() {
    if (searchLimits.nodes == 0) return false;
    uint64_t total;
    if (isMainSearchThread()) {
        total = thisThread->nodeCount;
        mainNodes.store(total, std::memory_order_relaxed);
    } else {
        total = mainNodes.load(std::memory_order_relaxed);
    }
    for (int i = 0; i < budgetHelpers; i++) total += helpers[i].nodes.load(std::memory_order_relaxed);
    return total >= searchLimits.nodes;
}

void pollHelper() {
    publishCounts();
    thisThread->ttAge = mainTtAge.load(std::memory_order_relaxed);  // changes on a ponder hit
    // A helper that finds the budget spent leaves its search; the main
    // thread stops at its own next poll.
    if (stopRequested.load(std::memory_order_relaxed) || nodeBudgetSpent()) throw SearchAbandoned{};
}

/// The depth of the helper's next iteration: one more than its last, and
/// at least one (odd helpers) or two (even helpers) beyond the main thread,
/// so that the threads fill the table ahead of it rather than repeat it;
/// never beyond the search's depth limit, which the helper searches again
/// until the main thread is done.
static int nextDepth(int last, int id) {
    int ahead = mainIterationDepth.load(std::memory_order_relaxed) + 1 + (id % 2 == 0);
    return std::min(std::max(last + 1, ahead), rootMaxDepth);
}

/// Sets up this thread's search from the main thread's: the root position,
/// its table age and tablebase limits, and its score for the first window.
static void prepareHelper() {
    pos = rootPosition;
    std::memset(thisThread->pvTable, 0, sizeof thisThread->pvTable);
    thisThread->pvLength[0] = 0;
    thisThread->ttAge = mainTtAge.load(std::memory_order_relaxed);
    thisThread->tbLimit = rootTbLimit;
    thisThread->syzygyLimit = rootSyzygyLimit;
    thisThread->previousScore = rootScore;
    deepenBegin();
    deepenWindow(rootScore);
}

static void runHelper(HelperThread *self) {
    currentHelper = self;
    thisThread = &self->search;
    if (!pawnHashAllocate()) return;  // without its pawn hash it cannot evaluate
    prepareHelper();
    try {
        for (int depth = nextDepth(0, self->id);; depth = nextDepth(depth, self->id)) {
            int16_t score = deepenIteration(depth);
            if (thisThread->rootAbort) break;
            deepenComplete(depth, score);
        }
    } catch (const SearchAbandoned &) {
    }
    publishCounts();
    pawnHashRelease();
}

void forgetHelpers() {
    helperCount = 0;
    budgetHelpers = 0;
    mainNodes.store(0, std::memory_order_relaxed);
}

void startHelpers() {
    int count = std::clamp<int>(options.threads, 1, MAX_SEARCH_THREADS) - 1;
    if (count == 0 || searchDepthLimit() < 1) return;
    rootPosition = pos;
    mainTtAge.store(mainThread.ttAge);
    rootTbLimit = mainThread.tbLimit;
    rootSyzygyLimit = mainThread.syzygyLimit;
    rootScore = mainThread.previousScore;
    rootMaxDepth = std::min<int>(searchDepthLimit(), MAX_PLY - 1);
    stopRequested.store(false);
    mainIterationDepth.store(mainThread.iterationDepth);
    for (int i = 0; i < count; i++) {
        helpers[i].nodes.store(0);
        helpers[i].tbHits.store(0);
    }
    budgetHelpers = count;
    for (helperCount = 0; helperCount < count; helperCount++) {
        HelperThread &helper = helpers[helperCount];
        helper.id = helperCount + 1;
        try {
            helper.thread = std::thread(runHelper, &helper);
        } catch (const std::system_error &) {
            break;  // the system has no more threads to give: search with fewer
        }
    }
}

void stopHelpers() {
    stopRequested.store(true);
    for (int i = 0; i < helperCount; i++)
        if (helpers[i].thread.joinable()) helpers[i].thread.join();
}
