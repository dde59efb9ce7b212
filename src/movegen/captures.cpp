#include <initializer_list>

#include "movegen/mlist.h"

namespace {

template <int C> struct capture_rules;
template <> struct capture_rules<WHITE> {
    static constexpr int ADVANCE = N, CAPTURE_A = NW, CAPTURE_H = NE, PROMOTION_ROW = 0;
};
template <> struct capture_rules<BLACK> {
    static constexpr int ADVANCE = S, CAPTURE_A = SW, CAPTURE_H = SE, PROMOTION_ROW = 7;
};

struct appender {
    move* moves;
    int& top;

    void add(int from, int to, int promote, int flags) {
        moves[top++] = move{uint8_t(from), uint8_t(to), uint8_t(promote), uint8_t(flags)};
    }
};

template <int C> bool is_target(const square_node* n) {
    return n->colour == (C ^ 1) && n->piece != KING;
}

// Queen promotions by advance and every capture; no en passant and no
// under-promotion, which the quiescence search does not look at.
template <int C> void pawn_captures(const square_node& from, appender& out) {
    using R = capture_rules<C>;
    const square_node* one = from.ray[R::ADVANCE];
    if (one && one->square / 8 == R::PROMOTION_ROW && one->piece == EMPTY)
        out.add(from.square, one->square, QUEEN, FLAG_PAWN | FLAG_PROMOTE);
    for (int d : {R::CAPTURE_A, R::CAPTURE_H}) {
        const square_node* t = from.ray[d];
        if (!t || !is_target<C>(t)) continue;
        if (t->square / 8 == R::PROMOTION_ROW)
            out.add(from.square, t->square, QUEEN, FLAG_PAWN | FLAG_CAPTURE | FLAG_PROMOTE);
        else
            out.add(from.square, t->square, 0, FLAG_PAWN | FLAG_CAPTURE);
    }
}

template <int C>
void step_captures(const square_node& from, square_node* const* links, appender& out) {
    for (int i = 0; i < 8; i++)
        if (links[i] && is_target<C>(links[i]))
            out.add(from.square, links[i]->square, 0, FLAG_CAPTURE);
}

template <int C>
void slider_captures(const square_node& from, int first_dir, int dir_step, appender& out) {
    for (int d = first_dir; d < 8; d += dir_step) {
        const square_node* t = from.ray[d];
        while (t && t->piece == EMPTY) t = t->ray[d];
        if (t && is_target<C>(t)) out.add(from.square, t->square, 0, FLAG_CAPTURE);
    }
}

template <int C> void generate_all_captures(const board& b, appender& out) {
    const piece_table& own = b.pieces_of(C);
    for (int type = PAWN; type <= KING; type++) {
        const int* row = own[type];
        for (int slot = 0, seen = 0; slot < PIECE_SLOTS && seen < own[COUNT_ROW][type]; slot++) {
            if (row[slot] == NO_SQUARE) continue;
            seen++;
            const square_node& from = b.squares[row[slot]];
            switch (type) {
            case PAWN:
                pawn_captures<C>(from, out);
                break;
            case KNIGHT:
                step_captures<C>(from, from.jump, out);
                break;
            case BISHOP:
                slider_captures<C>(from, 1, 2, out);
                break;
            case ROOK:
                slider_captures<C>(from, 0, 2, out);
                break;
            case QUEEN:
                slider_captures<C>(from, 0, 1, out);
                break;
            case KING:
                step_captures<C>(from, from.ray, out);
                break;
            }
        }
    }
}

} // namespace

int mlist::generate_captures(const board& b, int ply) {
    top = first[ply];
    appender out{moves, top};
    if (b.side_to_move == WHITE)
        generate_all_captures<WHITE>(b, out);
    else
        generate_all_captures<BLACK>(b, out);
    first[ply + 1] = top;
    return top - first[ply];
}
