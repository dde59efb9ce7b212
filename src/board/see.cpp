// Static exchange: the exchange on one square estimated from the value of the
// piece there and both sides' attackers, cheapest first, without making moves.
#include <initializer_list>

#include "board/board.h"

namespace {

// The attackers of one side on a square as counts by type, handed out
// cheapest first.
template <int C> struct cheapest_first {
    int count[KING + 1];
    const int total;
    int type = PAWN;

    cheapest_first(const board& b, int square) : total(b.count_attackers_as<C>(square, count)) {}

    int next() {
        while (count[type] == 0) type++;
        count[type]--;
        return piece_value[type];
    }
};

} // namespace

// A direction stops at the first piece of the other colour, at the
// colour's first slider of the direction's kind and at its king next to the
// square; the colour's other pieces are looked through. So each direction
// gives at most one attacker: the first stopper, when it is the colour's.
// Written for a colour C given at compile time, so that its square sets are
// at fixed places: buys bench 2 % of its instructions.
template <int C> int board::count_attackers_as(int square, int (&found)[KING + 1]) const {
    const uint64_t(&own)[KING + 1] = piece_bits[C];
    const uint64_t king_next = own[KING] & masks.king[square];
    const uint64_t straight = own[ROOK] | own[QUEEN], diagonal = own[BISHOP] | own[QUEEN];
    for (int& n : found) n = 0;
    int total = found[KING] = king_next != 0;
    for (int d = 0; d < 8; d++) {
        const uint64_t sliders = d % 2 == 0 ? straight : diagonal;
        if (!(masks.ray[d][square] & sliders)) continue;
        const uint64_t first = first_on_ray(square, d, sliders | king_next | colour_bits[C ^ 1]);
        if (!(sliders & first)) continue;
        found[squares[square_of(first)].piece]++;
        total++;
    }
    found[KNIGHT] = bit_count(masks.knight[square] & own[KNIGHT]);
    found[PAWN] = bit_count(masks.pawn_from[C][square] & own[PAWN]);
    return total + found[KNIGHT] + found[PAWN];
}

int board::count_attackers(int square, int colour, int (&found)[KING + 1]) const {
    return colour == WHITE ? count_attackers_as<WHITE>(square, found)
                           : count_attackers_as<BLACK>(square, found);
}

// From the loss of the piece on the square, the estimate alternates: their
// attackers are won back in turn, our recapturers lost from the second one on.
// A square they do not attack costs nothing.
template <int C> int board::see_as(int square) const {
    cheapest_first<C ^ 1> them(*this, square);
    if (them.total == 0) return 0;
    int v = -piece_value[squares[square].piece];
    cheapest_first<C> ours(*this, square);
    if (ours.total == 0) return v;
    ours.next(); // our cheapest attacker is never counted
    int j = 0, i = 1;
    for (bool their_turn = true; j < them.total && i < ours.total; their_turn = !their_turn) {
        if (their_turn) {
            v += them.next();
            j++;
        } else {
            v -= ours.next();
            i++;
        }
    }
    return v < 0 ? v : 0;
}

int board::see(int square) const {
    return side_to_move == WHITE ? see_as<WHITE>(square) : see_as<BLACK>(square);
}
