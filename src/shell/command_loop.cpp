#include "shell/command_loop.h"

#include <cstdlib>
#include <string>

#include "search/search.h"
#include "shell/console.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/uci.h"
#include "shell/xboard.h"

int dialect = DIALECT_CONSOLE;

void command_loop() {
    for (;;) {
        if (think_state != 0)
            think_state = 0;
        else
            read_and_dispatch();
    }
}

// With no search running the caller may block in the read. During a search
// a terminal line stops the search too, but is read only afterwards.
int input_waiting() {
    if (think_state == 0) return 1;
    if (input_buffered()) return 1;
    if (!stdin_readable()) return 0;
    if (!stdin_is_terminal()) return 1;
    think_state = 0;
    return 0;
}

void read_and_dispatch() {
    if (!input_waiting()) return;
    if (think_state == 1) {
        think_state = 0; // the running search stops; the line stays unread
        return;
    }
    std::string line;
    if (!read_input_line(line, LINE_BYTES - 1)) exit(0); // end of input
    dispatch_line(line.c_str());
}

void dispatch_line(const char* line) {
    switch (dialect) {
    case DIALECT_XBOARD:
        xboard_command(line);
        break;
    case DIALECT_UCI:
        uci_command(line);
        break;
    default:
        console_command(line);
        break;
    }
}
