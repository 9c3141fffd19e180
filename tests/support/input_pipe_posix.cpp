// Pipes on POSIX systems.
#include <unistd.h>

#include "tests/support/input_pipe.h"

bool makePipe(int ends[2]) { return pipe(ends) == 0; }
