// Standard input replaced by a pipe.
#include "tests/support/input_pipe.h"

#include <unistd.h>

int pipeToStandardInput() {
    int ends[2];
    if (!makePipe(ends)) return -1;
    dup2(ends[0], 0);
    close(ends[0]);
    return ends[1];
}
