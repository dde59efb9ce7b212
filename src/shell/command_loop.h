// The command loop: reads one line at a time and hands it to the active
// command set; while a search runs, waiting input only stops the search.
#pragma once

enum dialect_code : int { DIALECT_CONSOLE = 0, DIALECT_XBOARD = 1, DIALECT_UCI = 2 };

// A UCI "position" line lists every move of the game, so a line holds as
// many moves as the board's history (at most six characters each) with room
// to spare; a longer line is split.
constexpr int LINE_BYTES = 65536;

extern int dialect;

void command_loop();
void read_and_dispatch();
// Hands one line to the command set of the active dialect.
void dispatch_line(const char* line);
int input_waiting();
