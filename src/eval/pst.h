// Piece-square tables by piece type, indexed by square as White sees the
// board (a8 = 0 .. h1 = 63); Black reads the entry at its square XOR 56.
#pragma once

#include "board/types.h"

extern const int pst_open[KING + 1][64];
extern const int pst_end[KING + 1][64];

// The table square for a piece of a colour: Black's board is White's flipped.
inline int pst_square(int square, int colour) {
    return colour == WHITE ? square : square ^ 56;
}
