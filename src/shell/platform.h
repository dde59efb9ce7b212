// The few calls that depend on the operating system: whether standard input
// is a terminal, and a non-blocking test for bytes waiting on it.
#pragma once

#include <cstddef>

bool stdin_is_terminal();
// xboard interrupts its engines with SIGINT unless told otherwise; an engine
// under a GUI must survive it.
void ignore_interrupts();
// True when a read of standard input would not block (data or end of input).
bool stdin_readable();
// Reads what is available, blocking until something is; 0 at end of input.
long read_stdin(char* buffer, size_t size);
