#include "eval/tropism.h"

#include <cstdlib>

// Closeness is this minus the file and row distances: 14 on the same square,
// 0 in opposite corners.
constexpr int MAX_CLOSENESS = 14;
// Bonus by distance between diagonal indices; none from three apart.
constexpr int DIAGONAL_BONUS[3] = {3, 2, 1};
// Queens weigh closeness by this many halves; rooks and bishops by one half.
constexpr int QUEEN_CLOSENESS_HALVES = 5;

int tropism_a[64][64];
int tropism_b[64][64];
int tropism_half[64][64];
int tropism_diag[64][64];

namespace {

int row_of(int square) {
    return square / 8;
}
int col_of(int square) {
    return square % 8;
}

int closeness(int s1, int s2) {
    return MAX_CLOSENESS - abs(col_of(s1) - col_of(s2)) - abs(row_of(s1) - row_of(s2));
}

int diagonal_bonus(int index1, int index2) {
    int d = abs(index1 - index2);
    return d < 3 ? DIAGONAL_BONUS[d] : 0;
}

// The two diagonals through a square, numbered 0..14.
int falling_diagonal(int s) {
    return row_of(s) + col_of(s);
}
int rising_diagonal(int s) {
    return row_of(s) + 7 - col_of(s);
}

} // namespace

void build_distance_tables() {
    for (int s1 = 0; s1 < 64; s1++) {
        for (int s2 = 0; s2 < 64; s2++) {
            int c = closeness(s1, s2);
            tropism_a[s1][s2] = QUEEN_CLOSENESS_HALVES * c / 2;
            tropism_b[s1][s2] = c;
            tropism_half[s1][s2] = c / 2;
            tropism_diag[s1][s2] = diagonal_bonus(falling_diagonal(s1), falling_diagonal(s2)) +
                                   diagonal_bonus(rising_diagonal(s1), rising_diagonal(s2)) + c / 2;
        }
    }
}
