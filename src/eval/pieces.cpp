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

void score_placement(eval_state& st, int colour, int type, int square) {
    const int sign = colour_sign(colour);
    st.open += sign * pst_open[type][pst_square(square, colour)];
    st.end += sign * pst_end[type][pst_square(square, colour)];
}

// Placement and king closeness of every piece of one type.
void eval_piece_type(const board& b, eval_state& st, int type, const int (&closeness)[64][64]) {
    for (int colour : {WHITE, BLACK}) {
        const int enemy_king = b.king_square(colour ^ 1);
        for_each_piece(b, colour, type, [&](int s) {
            score_placement(st, colour, type, s);
            st.tropism[colour] += closeness[s][enemy_king];
        });
    }
}

// The first pawn of the colour on the file in slot order, as a row.
int first_pawn_row(const board& b, int colour, int file) {
    int row = -1;
    for_each_piece_in_slot_order(b, colour, PAWN, [&](int s) {
        if (row < 0 && s % 8 == file) row = row_of(s);
    });
    return row;
}

void score_rook_file(const board& b, eval_state& st, int colour, int square) {
    const int file = square % 8, enemy = colour ^ 1, sign = colour_sign(colour);
    if (st.pawn_files[colour] & (1 << file)) return;
    st.open += sign * ROOK_HALF_OPEN_FILE;
    if (!(st.pawn_files[enemy] & (1 << file))) st.open += sign * ROOK_OPEN_FILE;
    if (b.king_square(enemy) % 8 == file) st.tropism[colour] += ROOK_FILE_TROPISM;
}

// A rook behind a passed pawn of either colour, seen from that pawn.
void score_rook_passers(const board& b, eval_state& st, int colour, int square) {
    const int file = square % 8, row = row_of(square);
    if (!((st.passed_files[WHITE] | st.passed_files[BLACK]) & (1 << file))) return;
    for (int owner : {colour, colour ^ 1}) {
        if (!(st.passed_files[owner] & (1 << file))) continue;
        if (behind(owner, row, first_pawn_row(b, owner, file)))
            st.end += colour_sign(colour) * ROOK_BEHIND_PASSER_END;
    }
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
    for (int colour : {WHITE, BLACK}) {
        const int enemy_king = b.king_square(colour ^ 1);
        for_each_piece(b, colour, ROOK, [&](int s) {
            score_placement(st, colour, ROOK, s);
            score_rook_file(b, st, colour, s);
            score_rook_passers(b, st, colour, s);
            st.tropism[colour] += tropism_half[s][enemy_king];
        });
    }
}
