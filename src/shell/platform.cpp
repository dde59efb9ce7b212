#include "shell/platform.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

bool stdin_is_terminal() {
    return isatty(STDIN_FILENO) != 0;
}

void ignore_interrupts() {
    signal(SIGINT, SIG_IGN);
}

bool stdin_readable() {
    pollfd p = {STDIN_FILENO, POLLIN, 0};
    int r = poll(&p, 1, 0);
    return r != 0; // an error counts as input waiting, so the search stops
}

long read_stdin(char* buffer, size_t size) {
    for (;;) {
        long n = long(read(STDIN_FILENO, buffer, size));
        if (n >= 0) return n;
        if (errno != EINTR) return 0;
    }
}
