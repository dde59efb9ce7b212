// xboard commands, matched in this order:
//
//   xboard   exact   make xboard the active set
//   quit     exact   end the program
//
// Anything else is answered "Error (unknown command):<line>".
#include "shell/xboard.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/types.h"
#include "shell/command_loop.h"

int game_side = WHITE;
int engine_side = BLACK;
int game_over = 0;

void xboard_command(const char* line) {
    if (strcmp(line, "xboard") == 0)
        dialect = DIALECT_XBOARD;
    else if (strcmp(line, "quit") == 0)
        exit(0);
    else
        printf("Error (unknown command):%s\n", line);
}
