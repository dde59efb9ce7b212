#include "shell/platform.h"

#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

constexpr int LIBRARY_PATH_BYTES = 512;

const char* const EGBB_LIBRARY_FILE = "egbbso64.so";
// The engine started in the build folder, or in the folder it was installed
// to, finds the library beside it; the packaged engine is built with the
// system folder its package puts the library in.
#ifdef KORVEL_PACKAGED_EGBB_PATH
const char* const DEFAULT_EGBB_PATH = KORVEL_PACKAGED_EGBB_PATH;
#else
const char* const DEFAULT_EGBB_PATH = "egbb/";
#endif
const char* const EPD_SUITE_FOLDER = "epd/";

bool stdin_is_terminal() {
    return isatty(STDIN_FILENO) != 0;
}

// A terminal delivers lines whole; there is nothing to set.
void prepare_console() {}

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

// Symbols are bound at once, so a library with an unresolved dependency
// fails here rather than at its first call.
void* library_open(const char* path) {
    char file[LIBRARY_PATH_BYTES];
    const char* folder = strchr(path, '/') ? "" : "./";
    if (snprintf(file, sizeof file, "%s%s", folder, path) >= int(sizeof file)) return nullptr;
    return dlopen(file, RTLD_NOW | RTLD_LOCAL);
}

void* library_symbol(void* library, const char* name) {
    return dlsym(library, name);
}

void library_close(void* library) {
    dlclose(library);
}

bool replace_file(const char* from, const char* to) {
    return rename(from, to) == 0;
}
