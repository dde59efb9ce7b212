// Static exchange: the exchange on one square estimated from the value of the
// piece there and both sides' attackers, cheapest first, without making moves.
#include <initializer_list>

#include "board/board.h"

constexpr int SEE_VALUE[KING + 1] = {0, 100, 300, 300, 500, 900, 10000};

namespace {

// A slider on its own kind of ray, or a king next to the square. Any other
// piece of the colour lets the walk look through it.
bool bears_along_ray(const square_node& n, int dir, int step) {
    switch (n.piece) {
    case QUEEN:
        return true;
    case ROOK:
        return dir % 2 == 0;
    case BISHOP:
        return dir % 2 == 1;
    case KING:
        return step == 1;
    default:
        return false;
    }
}

// Adjacent exchanges until sorted: the lists hold a handful of values.
void sort_ascending(int* list, int count) {
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int i = 1; i < count; i++) {
            if (list[i] < list[i - 1]) {
                int t = list[i];
                list[i] = list[i - 1];
                list[i - 1] = t;
                swapped = true;
            }
        }
    }
}

} // namespace

int board::collect_attackers(int square, int (&list)[MAX_ATTACKERS], int colour) const {
    const square_node& target = squares[square];
    int count = 0;
    for (int d = 0; d < 8; d++) {
        int step = 1;
        for (const square_node* n = target.ray[d]; n; n = n->ray[d], step++) {
            if (n->piece == EMPTY) continue;
            if (n->colour != colour) break;
            if (bears_along_ray(*n, d, step)) {
                list[count++] = SEE_VALUE[n->piece];
                break;
            }
        }
    }
    for (const square_node* j : target.jump)
        if (j && j->piece == KNIGHT && j->colour == colour) list[count++] = SEE_VALUE[KNIGHT];
    // Pawns capture towards the enemy side: White's stand below the square.
    for (int d : {colour == WHITE ? SE : NE, colour == WHITE ? SW : NW}) {
        const square_node* p = target.ray[d];
        if (p && p->piece == PAWN && p->colour == colour) list[count++] = SEE_VALUE[PAWN];
    }
    if (count >= 2) sort_ascending(list, count);
    return count;
}

// From the loss of the piece on the square, the estimate alternates: their
// attackers are won back in turn, our recapturers lost from the second one on.
// A square they do not attack costs nothing.
int board::see(int square) const {
    const int us = side_to_move, them = us ^ 1;
    int them_list[MAX_ATTACKERS] = {};
    int us_list[MAX_ATTACKERS] = {};
    int v = -SEE_VALUE[squares[square].piece];
    const int n_them = collect_attackers(square, them_list, them);
    if (n_them == 0) return 0;
    const int n_us = collect_attackers(square, us_list, us);
    if (n_us == 0) return v;
    int j = 0, i = 1;
    for (bool their_turn = true; j < n_them && i < n_us; their_turn = !their_turn)
        v = their_turn ? v + them_list[j++] : v - us_list[i++];
    return v < 0 ? v : 0;
}
