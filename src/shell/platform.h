// The few calls that depend on the operating system: whether standard input
// is a terminal, a non-blocking test for bytes waiting on it, dynamic
// libraries, and replacing a file.
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

// Opens the library file at the path, null when it cannot be loaded. The path
// always names a file (a bare name is taken in the working directory), never
// a name to look up in the system's library folders.
void* library_open(const char* path);
// Address of the exported name, null when the library lacks it.
void* library_symbol(void* library, const char* name);
void library_close(void* library);

// Puts the file `from` in the place of `to` in one step, replacing any file
// of that name, so a reader finds either the old file or the new one.
bool replace_file(const char* from, const char* to);
