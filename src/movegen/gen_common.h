// What the full generator and the capture generator share: the list
// appender, the pawn facts of each colour and the walk over a side's pieces.
#pragma once

#include <cstdint>

#include "movegen/mlist.h"

namespace gen {

// The side-dependent facts of pawn play, one set per colour so that the
// piece loops carry no colour test.
template <int C> struct pawn_rules;
template <> struct pawn_rules<WHITE> {
    static constexpr int ADVANCE = N, BEHIND = S, CAPTURE_A = NW, CAPTURE_H = NE;
    static constexpr int PROMOTION_ROW = 0, DOUBLE_ROW = 6;
};
template <> struct pawn_rules<BLACK> {
    static constexpr int ADVANCE = S, BEHIND = N, CAPTURE_A = SW, CAPTURE_H = SE;
    static constexpr int PROMOTION_ROW = 7, DOUBLE_ROW = 1;
};

constexpr int PROMOTION_ORDER[4] = {QUEEN, ROOK, BISHOP, KNIGHT};

// Writes through its own cursor: a count kept in the list itself would be
// read again after every move written, since a move's bytes may alias it.
struct appender {
    move* next;

    void add(int from, int to, int promote, int flags) {
        *next++ = move{uint8_t(from), uint8_t(to), uint8_t(promote), uint8_t(flags)};
    }
    void add_promotions(int from, int to, int flags) {
        for (int p : PROMOTION_ORDER) add(from, to, p, flags);
    }
};

// A piece of the other side that may be taken: kings never are.
template <int C> bool is_target(const square_node* n) {
    return n->colour == (C ^ 1) && n->piece != KING;
}

// Calls visit(node) for every piece of side C of one type, in the order of
// the piece table's slots. The generators call it type by type, from pawn
// to king, so that no piece needs a jump on its type.
template <int C, class Visit> void for_each_of_type(const board& b, int type, Visit&& visit) {
    const piece_table& own = b.pieces_of(C);
    const int* row = own[type];
    for (int slot = 0, seen = 0; slot < PIECE_SLOTS && seen < own[COUNT_ROW][type]; slot++) {
        if (row[slot] == NO_SQUARE) continue;
        seen++;
        visit(b.squares[row[slot]]);
    }
}

} // namespace gen
