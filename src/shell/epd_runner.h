// The test-suite runner behind the console's "epd" command: sets up each
// record's position, searches it for the time per move of "st" and counts
// the records where the engine plays a best move (bm) or avoids the moves
// to avoid (am).
#pragma once

#include <cstddef>
#include <string>

#include "board/board.h"

constexpr int EPD_SUITES = 9;
constexpr int EPD_MOVES = 5;       // expected moves kept per record; further ones are ignored
constexpr int POSITION_BLANKS = 3; // placement, side, castling and en passant: four words

enum epd_mode : int { EPD_BEST, EPD_AVOID };

// The expected moves of one record; an unresolved move is kept as no_move.
struct epd_record {
    move expected[EPD_MOVES];
    int count = 0;
};

// The file of suite n (1..EPD_SUITES) in the system's suite folder (epd/ in
// the working directory on Linux, c:\prog\epd\ on Windows), or nullptr for
// any other n. The text stays valid until the next call.
const char* epd_suite_path(int n);

// Prints the path, reads the file into the line store and prints the count.
// Returns the number of lines, or -1 (after "cannot open file") when the file
// cannot be read; the store is then empty.
int epd_read(const char* path);

// Runs every stored line as a record on the engine and prints the summary.
void epd_run();

// Copies the next field of `text` from `at` into `out`: one word, or with
// `blanks` > 0 that many more words joined by their blanks. Moves `at` past
// the field and its separator; returns the field's length, 0 for a text
// shorter than two characters or when `at` is at its end.
size_t next_field(const std::string& text, size_t& at, std::string& out, int blanks);

// Reads the operations of a record from `at` on, for the position already set
// on `b`, printing each move word. Words after the record's first ';' are
// skipped, but "bm" and "am" set `mode` wherever they appear; a record that
// names neither keeps the mode of the one before.
epd_record read_operations(board& b, const std::string& line, size_t at, epd_mode& mode);
