// King placement, the right to castle, the pawn shelter, and king safety:
// shelter and enemy piece closeness weighed by the enemy's remaining material.

#include "eval/pst.h"
#include "eval/terms.h"

constexpr int CAN_CASTLE_OPEN = 25;
constexpr int CASTLED_FACING_QUEEN_OPEN = 10;
constexpr int SHELTER_PAWN_HOME = 10;    // on the second rank
constexpr int SHELTER_PAWN_ADVANCED = 5; // on the third rank
// A wing file without a shelter pawn: the outer files cost, the f- and c-files not.
constexpr int SHELTER_MISSING[8] = {-10, -10, 0, 0, 0, 0, -10, -10};
constexpr int CENTRE_FILE_WITHOUT_PAWN = -10;
// Enemy material at which safety counts fully, in each phase's values.
constexpr int SAFETY_SCALE_OPEN = 3100;
constexpr int SAFETY_SCALE_END = 3250;

constexpr int CASTLE_RIGHTS_OF[2] = {4 | 8, 1 | 2}; // by colour code

namespace {

// Pawns in front of the king on one file, on the colour's second or third
// rank, read from the colour's pawn set in code written for that colour:
// buys bench 3.6 % of its instructions over a look at the nodes.
template <int C> int file_shelter(uint64_t pawns, int file) {
    const int second = C == WHITE ? 6 * 8 + file : 1 * 8 + file;
    const int third = C == WHITE ? 5 * 8 + file : 2 * 8 + file;
    if (pawns & square_bit(second)) return SHELTER_PAWN_HOME;
    if (pawns & square_bit(third)) return SHELTER_PAWN_ADVANCED;
    return SHELTER_MISSING[file];
}

// The three files of the king's wing; in the centre only the king's own file.
template <int C> int shelter(const board& b, const eval_state& st, int king) {
    const int file = king % 8;
    const uint64_t pawns = b.piece_bits[C][PAWN];
    if (file >= 5)
        return file_shelter<C>(pawns, 5) + file_shelter<C>(pawns, 6) + file_shelter<C>(pawns, 7);
    if (file <= 2)
        return file_shelter<C>(pawns, 0) + file_shelter<C>(pawns, 1) + file_shelter<C>(pawns, 2);
    return (st.pawn_files[C] & (1 << file)) ? 0 : CENTRE_FILE_WITHOUT_PAWN;
}

// Written for a colour C given at compile time, so that its side's tables,
// signs and flips are fixed in the code (see the piece terms for its gain).
template <int C> void score_king(const board& b, eval_state& st) {
    const int king = b.king_square(C), enemy = C ^ 1, sign = colour_sign(C);
    st.open += sign * pst_open[KING][pst_square(king, C)];
    st.end += sign * pst_end[KING][pst_square(king, C)];
    if (b.castle_rights & CASTLE_RIGHTS_OF[C]) st.open += sign * CAN_CASTLE_OPEN;
    if (b.piece_count(QUEEN, enemy) > 0 && b.castled[C] == 1)
        st.open += sign * CASTLED_FACING_QUEEN_OPEN;
    // Each quotient is truncated on its own.
    const int danger = st.tropism[enemy];
    st.open +=
        sign * ((shelter<C>(b, st, king) - danger) * st.material_open[enemy] / SAFETY_SCALE_OPEN);
    st.end -= sign * (st.material_end[enemy] * danger / SAFETY_SCALE_END);
}

} // namespace

void eval_kings(const board& b, eval_state& st) {
    score_king<WHITE>(b, st);
    score_king<BLACK>(b, st);
}
