// Knights, bishops, rooks and queens: placement, closeness to the enemy king
// (read later by the king term), and the rook's files.
#include <initializer_list>

#include "eval/pst.h"
#include "eval/terms.h"
#include "eval/tropism.h"

constexpr int ROOK_HALF_OPEN_FILE = 12; // no own pawn on the file
constexpr int ROOK_OPEN_FILE = 6;       // added when no enemy pawn either
// An open file leading to the enemy king adds to the rook's king danger.
constexpr int ROOK_FILE_TROPISM = 4;
constexpr int ROOK_BEHIND_PASSER_END = 10;

namespace {

// Each term is written once for a colour C given at compile time, so that
// its side's tables, signs and flips are fixed in the code: with the king
// term, buys bench 7 % of its instructions.
template <int C> void score_placement(eval_state& st, int type, int square) {
    st.open += colour_sign(C) * pst_open[type][pst_square(square, C)];
    st.end += colour_sign(C) * pst_end[type][pst_square(square, C)];
}

// Placement and king closeness of every piece of one type of the colour.
template <int C>
void score_piece_type(const board& b, eval_state& st, int type, const int (&closeness)[64][64]) {
    const int enemy_king = b.king_square(C ^ 1);
    for_each_piece(b, C, type, [&](int s) {
        score_placement<C>(st, type, s);
        st.tropism[C] += closeness[s][enemy_king];
    });
}

void eval_piece_type(const board& b, eval_state& st, int type, const int (&closeness)[64][64]) {
    score_piece_type<WHITE>(b, st, type, closeness);
    score_piece_type<BLACK>(b, st, type, closeness);
}

// The first pawn of the colour on the file in slot order, as a row.
int first_pawn_row(const board& b, int colour, int file) {
    int row = -1;
    for_each_piece_in_slot_order(b, colour, PAWN, [&](int s) {
        if (row < 0 && s % 8 == file) row = row_of(s);
    });
    return row;
}

template <int C> void score_rook_file(const board& b, eval_state& st, int square) {
    const int file = square % 8;
    if (st.pawn_files[C] & (1 << file)) return;
    st.open += colour_sign(C) * ROOK_HALF_OPEN_FILE;
    if (!(st.pawn_files[C ^ 1] & (1 << file))) st.open += colour_sign(C) * ROOK_OPEN_FILE;
    if (b.king_square(C ^ 1) % 8 == file) st.tropism[C] += ROOK_FILE_TROPISM;
}

// A rook behind a passed pawn of either colour, seen from that pawn.
template <int C> void score_rook_passers(const board& b, eval_state& st, int square) {
    const int file = square % 8, row = row_of(square);
    if (!((st.passed_files[WHITE] | st.passed_files[BLACK]) & (1 << file))) return;
    for (int owner : {C, C ^ 1}) {
        if (!(st.passed_files[owner] & (1 << file))) continue;
        if (behind(owner, row, first_pawn_row(b, owner, file)))
            st.end += colour_sign(C) * ROOK_BEHIND_PASSER_END;
    }
}

template <int C> void score_rooks(const board& b, eval_state& st) {
    const int enemy_king = b.king_square(C ^ 1);
    for_each_piece(b, C, ROOK, [&](int s) {
        score_placement<C>(st, ROOK, s);
        score_rook_file<C>(b, st, s);
        score_rook_passers<C>(b, st, s);
        st.tropism[C] += tropism_half[s][enemy_king];
    });
}

} // namespace

void eval_knights(const board& b, eval_state& st) {
    eval_piece_type(b, st, KNIGHT, tropism_b);
}

void eval_bishops(const board& b, eval_state& st) {
    eval_piece_type(b, st, BISHOP, tropism_diag);
}

void eval_queens(const board& b, eval_state& st) {
    eval_piece_type(b, st, QUEEN, tropism_a);
}

void eval_rooks(const board& b, eval_state& st) {
    score_rooks<WHITE>(b, st);
    score_rooks<BLACK>(b, st);
}
