// Pipes on Windows: binary, with room for a whole scripted session.
#include <fcntl.h>
#include <io.h>

#include "tests/support/input_pipe.h"

bool makePipe(int ends[2]) { return _pipe(ends, 1 << 16, _O_BINARY) == 0; }
