#include <initializer_list>

#include "movegen/gen_common.h"
#include "movegen/mlist.h"

namespace {

using namespace gen;

template <int C> void pawn_moves(const board& b, const square_node& from, appender& out) {
    using R = pawn_rules<C>;
    const int f = from.square;
    const square_node* one = from.ray[R::ADVANCE];
    if (one && one->piece == EMPTY) {
        if (one->square / 8 == R::PROMOTION_ROW) {
            out.add_promotions(f, one->square, FLAG_PAWN | FLAG_PROMOTE);
        } else {
            out.add(f, one->square, 0, FLAG_PAWN);
            const square_node* two = one->ray[R::ADVANCE];
            if (f / 8 == R::DOUBLE_ROW && two->piece == EMPTY)
                out.add(f, two->square, 0, FLAG_PAWN | FLAG_DOUBLE);
        }
    }
    for (int d : {R::CAPTURE_A, R::CAPTURE_H}) {
        const square_node* t = from.ray[d];
        if (!t || !is_target<C>(t)) continue;
        if (t->square / 8 == R::PROMOTION_ROW)
            out.add_promotions(f, t->square, FLAG_PAWN | FLAG_CAPTURE | FLAG_PROMOTE);
        else
            out.add(f, t->square, 0, FLAG_PAWN | FLAG_CAPTURE);
    }
    if (b.ep_square != NO_SQUARE) {
        const square_node& ep = b.squares[b.ep_square];
        const square_node* victim = ep.ray[R::BEHIND];
        if (victim && victim->piece == PAWN && victim->colour == (C ^ 1) &&
            (from.ray[R::CAPTURE_H] == &ep || from.ray[R::CAPTURE_A] == &ep))
            out.add(f, b.ep_square, 0, EP_FLAGS);
    }
}

template <int C>
void step_moves(const square_node& from, square_node* const* links, appender& out) {
    for (int i = 0; i < 8; i++) {
        const square_node* t = links[i];
        if (!t) continue;
        if (t->piece == EMPTY)
            out.add(from.square, t->square, 0, 0);
        else if (is_target<C>(t))
            out.add(from.square, t->square, 0, FLAG_CAPTURE);
    }
}

template <int C>
void slider_moves(const square_node& from, int first_dir, int dir_step, appender& out) {
    for (int d = first_dir; d < 8; d += dir_step) {
        for (const square_node* t = from.ray[d]; t; t = t->ray[d]) {
            if (t->piece == EMPTY) {
                out.add(from.square, t->square, 0, 0);
                continue;
            }
            if (is_target<C>(t)) out.add(from.square, t->square, 0, FLAG_CAPTURE);
            break;
        }
    }
}

template <int C> void castling_moves(const board& b, appender& out) {
    const int king_side = C == WHITE ? 1 : 4;
    const int from = C == WHITE ? E1 : E8;
    if (b.castle_rights & king_side) out.add(from, from + 2, 0, FLAG_CASTLE);
    if (b.castle_rights & (king_side << 1)) out.add(from, from - 2, 0, FLAG_CASTLE);
}

template <int C> void generate_all(const board& b, appender& out) {
    for_each_of_type<C>(b, PAWN, [&](const square_node& from) { pawn_moves<C>(b, from, out); });
    for_each_of_type<C>(b, KNIGHT,
                        [&](const square_node& from) { step_moves<C>(from, from.jump, out); });
    for_each_of_type<C>(b, BISHOP,
                        [&](const square_node& from) { slider_moves<C>(from, 1, 2, out); });
    for_each_of_type<C>(b, ROOK,
                        [&](const square_node& from) { slider_moves<C>(from, 0, 2, out); });
    for_each_of_type<C>(b, QUEEN,
                        [&](const square_node& from) { slider_moves<C>(from, 0, 1, out); });
    for_each_of_type<C>(b, KING,
                        [&](const square_node& from) { step_moves<C>(from, from.ray, out); });
    castling_moves<C>(b, out);
}

} // namespace

mlist::mlist() : scores{}, first{}, top(0) {
    for (move& m : moves) m = no_move;
}

mlist::~mlist() = default;

int mlist::generate_moves(const board& b, int ply) {
    appender out{moves + first[ply]};
    if (b.side_to_move == WHITE)
        generate_all<WHITE>(b, out);
    else
        generate_all<BLACK>(b, out);
    top = int(out.next - moves);
    first[ply + 1] = top;
    return top - first[ply];
}
