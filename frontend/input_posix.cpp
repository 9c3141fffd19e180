// Standard input on Linux and other POSIX systems: a pipe, a terminal or a
// file, asked with a poll that does not wait.
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "frontend/input.h"

void inputStart() {}

uint32_t inputWaiting() {
    pollfd request = {0, POLLIN, 0};
    int ready = poll(&request, 1, 0);
    if (ready < 0) return errno == EINTR ? 0 : 1;  // a failed query lets a read find out
    return ready > 0 ? 1 : 0;
}

long inputRead(char *buffer, size_t size) {
    ssize_t count;
    do count = read(0, buffer, size);
    while (count < 0 && errno == EINTR);
    return long(count);
}
