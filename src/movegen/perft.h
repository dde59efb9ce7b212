// Move-generation self-test: counts legal move sequences of every length.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "movegen/mlist.h"

constexpr int PERFT_MAX_DEPTH = 10;

// Entry d counts the sequences of length d + 1 found by the last perft.
extern int64_t perft_counts[PERFT_MAX_DEPTH];

// Counts to `depth` on `b` with the lists of `ml`, printing a line per depth
// and the time taken. The position is unchanged afterwards.
void perft(int depth, mlist& ml, board& b);
void perft_walk(mlist& ml, board& b, int depth, int ply);
