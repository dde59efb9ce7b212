// Mobility of knights, bishops and rooks: squares reached, pins ignored, a
// square of an enemy piece (the king included) counting as reached.
#include <initializer_list>

#include "eval/terms.h"

// Score by number of squares reached.
constexpr int KNIGHT_MOBILITY[9] = {-6, -4, 0, 2, 4, 5, 6, 7, 8};
constexpr int BISHOP_MOBILITY[14] = {-6, -2, 0, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 7};
constexpr int ROOK_MOBILITY[15] = {-4, -2, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};

namespace {

// Squares of the enemy count as reached; the colour's own do not.
int knight_targets(const board& b, int square, int colour) {
    return bit_count(masks.knight[square] & ~b.colour_bits[colour]);
}

// Each ray up to its first piece, which counts when it is the enemy's.
int slider_targets(const board& b, int square, int colour, int first_dir) {
    const uint64_t occupied = b.colour_bits[WHITE] | b.colour_bits[BLACK];
    int n = 0;
    for (int d = first_dir; d < 8; d += 2) {
        const uint64_t first = first_on_ray(square, d, occupied);
        if (!first) {
            n += masks.ray_length[d][square];
            continue;
        }
        n += masks.distance[square][square_of(first)] - int((b.colour_bits[colour] & first) != 0);
    }
    return n;
}

int colour_mobility(const board& b, int colour) {
    int sum = 0;
    for (int type : {KNIGHT, BISHOP, ROOK})
        for_each_piece(b, colour, type, [&](int s) { sum += piece_mobility(b, type, s, colour); });
    return sum;
}

} // namespace

int piece_mobility(const board& b, int type, int square, int colour) {
    switch (type) {
    case KNIGHT:
        return KNIGHT_MOBILITY[knight_targets(b, square, colour)];
    case BISHOP:
        return BISHOP_MOBILITY[slider_targets(b, square, colour, NE)];
    case ROOK:
        return ROOK_MOBILITY[slider_targets(b, square, colour, N)];
    default:
        return 0;
    }
}

void eval_mobility(const board& b, eval_state& st) {
    const int sum = colour_mobility(b, WHITE) - colour_mobility(b, BLACK);
    st.open += sum;
    st.end += sum;
}
