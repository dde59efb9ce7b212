// Square sets as 64-bit masks, bit n for square n, kept beside the nodes so
// that the attack questions can look at a whole line or ring of squares at
// once instead of walking the links node by node.
#pragma once

#include <cstdint>

#include "board/types.h"

inline uint64_t square_bit(int square) {
    return uint64_t(1) << square;
}

// For the few squares of a knight's or pawn's reach: a loop beats the
// library call that a portable build makes of a population count.
inline int bit_count(uint64_t set) {
    int n = 0;
    for (; set; set &= set - 1) n++;
    return n;
}

// Fixed masks of the board's geometry, built by the compiler.
struct board_masks {
    uint64_t ray[8][64];         // squares in a ray direction from a square, itself excluded
    uint64_t knight[64];         // knight targets
    uint64_t king[64];           // the adjacent squares
    uint64_t pawn_from[2][64];   // by colour: squares whose pawn of that colour attacks the square
    int8_t ray_length[8][64];    // squares on the ray
    int8_t distance[64][64];     // king steps between two squares
    int8_t direction_to[64][64]; // the ray leading from one square to the other, or -1

    constexpr board_masks()
        : ray{}, knight{}, king{}, pawn_from{}, ray_length{}, distance{}, direction_to{} {
        for (int s = 0; s < 64; s++) {
            const int file = s % 8, row = s / 8;
            for (int t = 0; t < 64; t++) direction_to[s][t] = -1;
            for (int d = 0; d < 8; d++) {
                int f = file + RAY_FILE_STEP[d], r = row + RAY_ROW_STEP[d];
                if (on_board(f, r)) king[s] |= uint64_t(1) << (r * 8 + f);
                for (; on_board(f, r); f += RAY_FILE_STEP[d], r += RAY_ROW_STEP[d]) {
                    ray[d][s] |= uint64_t(1) << (r * 8 + f);
                    ray_length[d][s]++;
                    direction_to[s][r * 8 + f] = int8_t(d);
                }
                f = file + JUMP_FILE_STEP[d], r = row + JUMP_ROW_STEP[d];
                if (on_board(f, r)) knight[s] |= uint64_t(1) << (r * 8 + f);
            }
            for (int t = 0; t < 64; t++) {
                const int files = file > t % 8 ? file - t % 8 : t % 8 - file;
                const int rows = row > t / 8 ? row - t / 8 : t / 8 - row;
                distance[s][t] = int8_t(files > rows ? files : rows);
            }
            // White pawns capture towards row 0, so they stand a row below.
            for (int f = file - 1; f <= file + 1; f += 2) {
                if (on_board(f, row + 1)) pawn_from[WHITE][s] |= uint64_t(1) << ((row + 1) * 8 + f);
                if (on_board(f, row - 1)) pawn_from[BLACK][s] |= uint64_t(1) << ((row - 1) * 8 + f);
            }
        }
    }

  private:
    static constexpr bool on_board(int file, int row) {
        return file >= 0 && file < 8 && row >= 0 && row < 8;
    }
};

inline constexpr board_masks masks{};

// The first square of `occupied` out from `square` along ray d, as a set of
// that one square; empty when the ray meets none. The directions E, SE, S
// and SW run towards higher square numbers.
inline uint64_t first_on_ray(int square, int d, uint64_t occupied) {
    const uint64_t on_ray = masks.ray[d][square] & occupied;
    if (!on_ray) return 0;
    return d >= E && d <= SW ? on_ray & (0 - on_ray)
                             : uint64_t(1) << (63 - __builtin_clzll(on_ray));
}

// The square of a set of one square.
inline int square_of(uint64_t one) {
    return __builtin_ctzll(one);
}
