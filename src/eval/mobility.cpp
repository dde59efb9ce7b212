// Mobility of knights, bishops and rooks: squares reached, pins ignored, a
// square of an enemy piece (the king included) counting as reached.
#include <initializer_list>

#include "eval/terms.h"

// Score by number of squares reached.
constexpr int KNIGHT_MOBILITY[9] = {-6, -4, 0, 2, 4, 5, 6, 7, 8};
constexpr int BISHOP_MOBILITY[14] = {-6, -2, 0, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 7};
constexpr int ROOK_MOBILITY[15] = {-4, -2, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};

namespace {

bool reachable(const square_node* n, int colour) {
    return n->piece == EMPTY || n->colour != colour;
}

int knight_targets(const square_node& from, int colour) {
    int n = 0;
    for (const square_node* j : from.jump) n += j && reachable(j, colour);
    return n;
}

int slider_targets(const square_node& from, int colour, int first_dir) {
    int n = 0;
    for (int d = first_dir; d < 8; d += 2) {
        for (const square_node* s = from.ray[d]; s; s = s->ray[d]) {
            if (s->piece == EMPTY) {
                n++;
                continue;
            }
            n += s->colour != colour;
            break;
        }
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
    const square_node& from = b.squares[square];
    switch (type) {
    case KNIGHT:
        return KNIGHT_MOBILITY[knight_targets(from, colour)];
    case BISHOP:
        return BISHOP_MOBILITY[slider_targets(from, colour, NE)];
    case ROOK:
        return ROOK_MOBILITY[slider_targets(from, colour, N)];
    default:
        return 0;
    }
}

void eval_mobility(const board& b, eval_state& st) {
    const int sum = colour_mobility(b, WHITE) - colour_mobility(b, BLACK);
    st.open += sum;
    st.end += sum;
}
