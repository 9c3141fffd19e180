// Runs the "bench" command by hand: search_bench [depth]. Prints the node
// count (the regression signature) and the nodes per second.
#include <cstdlib>

#include "engine/output.h"
#include "eval/pawns.h"
#include "frontend/control.h"
#include "search/bench.h"
#include "search/tt.h"

int main(int argc, char **argv) {
    options.optionFlags = OPT_XBOARD;
    options.ttShift = 16;
    options.multiPv = 1;
    if (!ttAllocate(options.ttShift) || !pawnHashAllocate()) {
        reply("ERROR (not enough memory): initApp\n");
        return 1;
    }
    newGame();
    runBench(argc > 1 ? std::atoi(argv[1]) : 0);
    ttRelease();
    pawnHashRelease();
    return 0;
}
