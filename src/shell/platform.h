// The few calls and names that depend on the operating system: whether
// standard input is a terminal, a non-blocking test for input waiting on it,
// dynamic libraries, replacing a file, and where the bitbase library and the
// test suites live. The build compiles exactly one file behind this header
// for the system.
#pragma once

#include <cstddef>

// Name of the bitbase library file, looked for in egbb_path.
extern const char* const EGBB_LIBRARY_FILE;
// egbb_path when korvel.cfg names none, with its final separator.
extern const char* const DEFAULT_EGBB_PATH;
// Folder of the EPD test suites, with its final separator.
extern const char* const EPD_SUITE_FOLDER;

bool stdin_is_terminal();
// An interactive console reports window and mouse changes as input too; the
// engine wants key presses only.
void prepare_console();
// xboard interrupts its engines with SIGINT unless told otherwise; an engine
// under a GUI must survive it.
void ignore_interrupts();
// True when a read of standard input would not block (data or end of input).
// At a console: true when a key has been typed.
bool stdin_readable();
// Reads what is available, blocking until something is; 0 at end of input.
long read_stdin(char* buffer, size_t size);

// A key typed at a console arrives as two input events, press and release; a
// single event is a focus change or the release of a key pressed before.
constexpr bool console_key_typed(unsigned long pending_events) {
    return pending_events > 1;
}

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
