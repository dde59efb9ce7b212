// What the evaluation terms share: the working values of one evaluation and
// the terms themselves, which run in the driver's order because later terms
// read what earlier ones leave here.
#pragma once

#include "board/board.h"

// Working values of one call, rebuilt from scratch every time. Scores are
// from White's point of view; per-colour arrays are indexed by colour code.
struct eval_state {
    int open;
    int end;
    int material_open[2]; // non-pawn material in opening values
    int material_end[2];
    int tropism[2];      // closeness of the colour's pieces to the enemy king
    int pawn_rows[2];    // 3 bits per file: row of the rearmost pawn, 0 for none
    int pawn_files[2];   // bit per file holding a pawn
    int passed_files[2]; // bit per file holding a passed pawn
};

// Material weights of the phase: 0 for pawns and kings.
int material_phase(const board& b);
// Weight of the opening score in the blend; 1.0 with every piece on the board.
double phase_weight(int phase);

void eval_pawn_files(const board& b, eval_state& st);
void eval_pawns(const board& b, eval_state& st);
// Both pawn terms above, through a cache of pawn structures.
void eval_pawn_structure(const board& b, eval_state& st);
void eval_knights(const board& b, eval_state& st);
void eval_bishops(const board& b, eval_state& st);
void eval_rooks(const board& b, eval_state& st);
void eval_queens(const board& b, eval_state& st);
void eval_kings(const board& b, eval_state& st);
// Bishops hemmed in or blocking a home pawn, and the pair; opening score
// only except the pair.
void eval_bishop_patterns(const board& b, eval_state& st);
void eval_mobility(const board& b, eval_state& st);
int piece_mobility(const board& b, int type, int square, int colour);

// +1 for White, -1 for Black: a feature of Black counts against White.
inline int colour_sign(int colour) {
    return colour == WHITE ? 1 : -1;
}

inline int row_of(int square) {
    return square / 8;
}

// Row field of one file in a pawn_rows value.
inline int file_row(int pawn_rows, int file) {
    return (pawn_rows >> (3 * file)) & 7;
}

// True when row a lies behind row b, seen from the colour's side of the
// board (towards its first rank).
inline bool behind(int colour, int a, int b) {
    return colour == WHITE ? a > b : a < b;
}

// Visits the squares of a colour's pieces of a type in the order of the
// square numbers, for sums that do not depend on the order.
template <typename F> void for_each_piece(const board& b, int colour, int type, F visit) {
    for (uint64_t set = b.piece_bits[colour][type]; set; set &= set - 1)
        visit(__builtin_ctzll(set));
}

// The same in the order of the piece table's slots, for a pass whose result
// depends on the order: one that takes the first piece it meets, or the
// pawn-file pass with a Black pawn on rank 8.
template <typename F>
void for_each_piece_in_slot_order(const board& b, int colour, int type, F visit) {
    const piece_table& table = b.pieces_of(colour);
    const int count = table[COUNT_ROW][type];
    for (int slot = 0, seen = 0; slot < PIECE_SLOTS && seen < count; slot++) {
        if (table[type][slot] == NO_SQUARE) continue;
        visit(table[type][slot]);
        seen++;
    }
}
