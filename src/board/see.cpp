// Static exchange: the exchange on one square estimated from the value of the
// piece there and both sides' attackers, cheapest first, without making moves.
#include <initializer_list>

#include "board/board.h"

constexpr int SEE_VALUE[KING + 1] = {0, 100, 300, 300, 500, 900, 10000};

// A direction stops at the first piece of the other colour, at the
// colour's first slider of the direction's kind and at its king next to the
// square; the colour's other pieces are looked through. So each direction
// gives at most one attacker: the first stopper, when it is the colour's.
int board::collect_attackers(int square, int (&list)[MAX_ATTACKERS], int colour) const {
    const uint64_t(&own)[KING + 1] = piece_bits[colour];
    const uint64_t king_next = own[KING] & masks.king[square];
    const uint64_t straight = own[ROOK] | own[QUEEN], diagonal = own[BISHOP] | own[QUEEN];
    int found[KING + 1] = {};
    found[KING] = king_next != 0;
    for (int d = 0; d < 8; d++) {
        const uint64_t ray = masks.ray[d][square], sliders = d % 2 == 0 ? straight : diagonal;
        if (!(ray & sliders)) continue;
        const uint64_t stoppers = ray & (sliders | king_next | colour_bits[colour ^ 1]);
        const int first = nearest_on_ray(d, stoppers);
        if (sliders & square_bit(first)) found[squares[first].piece]++;
    }
    found[KNIGHT] += bit_count(masks.knight[square] & own[KNIGHT]);
    found[PAWN] += bit_count(masks.pawn_from[colour][square] & own[PAWN]);
    // Written cheapest first, which is the order of the values.
    int count = 0;
    for (int type = PAWN; type <= KING; type++)
        for (int i = 0; i < found[type]; i++) list[count++] = SEE_VALUE[type];
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
