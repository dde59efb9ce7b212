// Process start-up and the run-wide flags of the shell.
#pragma once

extern int setup_pending; // the transposition table is not allocated yet
extern int book_enabled;  // the search may consult the opening book
extern int show_board;    // print the diagram after setting a position

void init_console();
void startup();
// Allocates the transposition table (and opens the book) the first time a
// command needs the engine; later calls do nothing.
void lazy_setup(bool open_book);
