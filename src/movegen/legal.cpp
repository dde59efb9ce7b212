#include <utility>

#include "movegen/mlist.h"

int mlist::generate_legal_moves(board& b, int ply) {
    generate_moves(b, ply);
    int write = first[ply];
    for (int i = first[ply]; i < first[ply + 1]; i++) {
        if (!b.make_move(moves[i])) continue;
        b.unmake_move();
        moves[write++] = moves[i];
    }
    first[ply + 1] = write;
    return write - first[ply];
}

int mlist::count_legal_moves(board& b) {
    generate_moves(b, 0);
    int legal = 0;
    for (int i = first[0]; i < first[1]; i++) {
        if (!b.make_move(moves[i])) continue;
        b.unmake_move();
        legal++;
    }
    return legal;
}

int mlist::find_move(int from, int to, int promote, move* out) const {
    for (int i = 0; i < first[1]; i++) {
        const move& m = moves[i];
        if (m.from == from && m.to == to && m.promote == promote) {
            *out = m;
            return i;
        }
    }
    return -1;
}

// A bubble sort keeps moves of equal score in their previous order; the
// root list is short enough for it.
void mlist::sort_root_moves() {
    const int begin = first[0], end = first[1];
    for (bool exchanged = end - begin >= 2; exchanged;) {
        exchanged = false;
        for (int k = begin; k + 1 < end; k++) {
            if (scores[k + 1] <= scores[k]) continue;
            std::swap(moves[k], moves[k + 1]);
            std::swap(scores[k], scores[k + 1]);
            exchanged = true;
        }
    }
}
