// What every fuzz target shares: a private working directory for the files
// the engine reads, a quiet standard output, and a check that fails loudly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "board/board.h"
#include "movegen/mlist.h"

// A broken invariant is a finding: libFuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) fuzz_failure(#condition, __FILE__, __LINE__);                            \
    } while (0)

[[noreturn]] void fuzz_failure(const char* condition, const char* file, int line);

// Moves the process into a new folder under /tmp, removed again at exit, and
// sends standard output (the engine's answers) to /dev/null.
void enter_scratch_dir();

// The next line of the input from `at` on, as the engine's line reader
// passes it on: up to its line end or the longest line it reads. Moves `at`
// past what was taken.
std::string next_line(const uint8_t* data, size_t size, size_t& at);
std::string first_line(const uint8_t* data, size_t size);

// Writes the bytes to the file in the working directory, replacing it.
void write_file(const char* name, const uint8_t* data, size_t size);

// The position and move lists of the targets that work on one board, too
// large for the stack: made by start_board_target.
extern std::unique_ptr<board> target_board;
extern std::unique_ptr<mlist> target_lists;

// The scratch folder, the key table and a board in the start position.
void start_board_target();

// True when the generator gives the move in the board's current position.
bool generated(move m);
