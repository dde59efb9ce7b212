// UCI commands, matched in this order:
//
//   uci    exact   make UCI the active set and identify the engine
//   quit   exact   end the program
//
// Anything else is ignored.
#include "shell/uci.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/command_loop.h"

namespace {

// The GUI waits for these lines, so they must not sit in a buffer.
void say(const char* text) {
    printf("%s\n", text);
    fflush(stdout);
}

} // namespace

void uci_command(const char* line) {
    if (strcmp(line, "uci") == 0) {
        dialect = DIALECT_UCI;
        say("id name Korvel");
        say("id author Vendrake");
        say("uciok");
    } else if (strcmp(line, "quit") == 0) {
        exit(0);
    }
}
