// The adapter for the outside endgame bitbase library: loads it at start-up
// and hands it positions in its own calling form.
#pragma once

#include "board/board.h"

// Loads egbb_path followed by the library's file name, sets the library up
// with the configured cache and prints whether that worked. True when the
// library can be probed; false too when either of its two calls is missing.
bool egbb_load();

// The probe takes at most three pieces besides the kings.
bool egbb_in_domain(const board& b);

// Score of the position for the side to move, in centipawns, written in
// every case (99999 when not found); true when the library found the
// position. A library that is not loaded, a position outside the domain, a
// position where an en passant capture is legal and one with castling rights
// are never asked and read as not found.
bool egbb_probe(const board& b, int* score);
