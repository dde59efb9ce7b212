// The command loop: reads one line at a time and hands it to the active
// command set; while a search runs, waiting input only stops the search.
#pragma once

enum dialect_code : int { DIALECT_CONSOLE = 0, DIALECT_XBOARD = 1, DIALECT_UCI = 2 };

constexpr int LINE_BYTES = 4096;

extern int dialect;

void command_loop();
void read_and_dispatch();
int input_waiting();
