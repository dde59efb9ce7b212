#include <cstdlib>

#include "board/board.h"
#include "board/castling.h"

constexpr int MATERIAL_VALUE[KING + 1] = {0, 100, 300, 300, 500, 900, 0};

namespace {

bool reaches_along_rays(const square_node& from, const square_node& target, int first_dir,
                        int dir_step) {
    for (int d = first_dir; d < 8; d += dir_step) {
        for (const square_node* n = from.ray[d]; n; n = n->ray[d]) {
            if (n == &target) return true;
            if (n->piece != EMPTY) break;
        }
    }
    return false;
}

bool is_neighbour(square_node* const* links, const square_node& target) {
    for (int i = 0; i < 8; i++)
        if (links[i] == &target) return true;
    return false;
}

} // namespace

// Along each ray only the first piece can attack: a slider of the
// direction's kind (a king next to the square is found with the ring).
bool board::is_attacked(int square, int colour) const {
    const uint64_t(&by)[KING + 1] = piece_bits[colour];
    if (masks.knight[square] & by[KNIGHT]) return true;
    if (masks.pawn_from[colour][square] & by[PAWN]) return true;
    if (masks.king[square] & by[KING]) return true;
    const uint64_t straight = by[ROOK] | by[QUEEN], diagonal = by[BISHOP] | by[QUEEN];
    const uint64_t occupied = colour_bits[WHITE] | colour_bits[BLACK];
    for (int d = 0; d < 8; d++) {
        const uint64_t sliders = d % 2 == 0 ? straight : diagonal;
        if (!(masks.ray[d][square] & sliders)) continue;
        if (sliders & first_on_ray(square, d, occupied)) return true;
    }
    return false;
}

// Along each ray from the king: the first piece is the colour's own and the
// next one an enemy slider of the ray's kind.
uint64_t board::pinned_pieces(int colour) const {
    const int king = king_square(colour);
    if (king == NO_SQUARE) return 0;
    const uint64_t(&enemy)[KING + 1] = piece_bits[colour ^ 1];
    const uint64_t straight = enemy[ROOK] | enemy[QUEEN], diagonal = enemy[BISHOP] | enemy[QUEEN];
    const uint64_t occupied = colour_bits[WHITE] | colour_bits[BLACK];
    uint64_t pinned = 0;
    for (int d = 0; d < 8; d++) {
        const uint64_t sliders = d % 2 == 0 ? straight : diagonal;
        if (!(masks.ray[d][king] & sliders)) continue;
        const uint64_t first = first_on_ray(king, d, occupied);
        if (!(colour_bits[colour] & first)) continue;
        // The next piece out is the first once this one is lifted off.
        if (sliders & first_on_ray(king, d, occupied ^ first)) pinned |= first;
    }
    return pinned;
}

// A move from the transposition table may belong to another position. True
// only lets the caller try it with make_move; false costs a full generation.
// Beyond the plain rules, the flags must agree with what stands on `to`, so
// a confirmed move can never put the nodes and the piece tables at odds.
bool board::move_is_valid(move m) const {
    if (m == no_move) return false;
    if (m.from == m.to || m.from > 63 || m.to > 63) return false;
    const int mover = side_to_move;
    const square_node& from = squares[m.from];
    const square_node& to = squares[m.to];
    if (from.piece == EMPTY || from.colour != mover) return false;

    // A stored move comes from another position that shared the key's bits:
    // its flags and promotion piece must be the ones the generator gives a
    // move of this piece, or make_move would update the wrong tables.
    if (m.flags & FLAG_CASTLE) {
        if (m.flags != FLAG_CASTLE || m.promote != 0) return false;
        const castling* c = castling_to(m.to);
        if (!c || castled[mover] || !(castle_rights & c->right)) return false;
        return castle_path_safe(m.from, m.to);
    }
    if ((m.flags & FLAG_PROMOTE) || m.promote != 0) return false;

    const int forward = mover == WHITE ? N : S;
    if (m.flags & FLAG_EP) {
        if (m.flags != EP_FLAGS || from.piece != PAWN || m.to != ep_square || to.piece != EMPTY)
            return false;
        if (from.ray[forward + 1] != &to && from.ray[(forward + 7) % 8] != &to) return false;
        const square_node* victim = to.ray[forward ^ 4];
        return victim && victim->piece == PAWN && victim->colour == (mover ^ 1);
    }
    if (from.piece == PAWN) {
        const square_node* one = from.ray[forward];
        const int last_row = mover == WHITE ? 0 : 7;
        if (!one || one->piece != EMPTY || m.to / 8 == last_row) return false;
        if (one == &to) return m.flags == FLAG_PAWN;
        const int double_row = mover == WHITE ? 6 : 1;
        return one->ray[forward] == &to && to.piece == EMPTY && m.from / 8 == double_row &&
               m.flags == (FLAG_PAWN | FLAG_DOUBLE);
    }
    if (m.flags & (FLAG_PAWN | FLAG_DOUBLE)) return false;
    if (m.flags & FLAG_CAPTURE) {
        if (to.piece == EMPTY || to.piece == KING || to.colour == mover) return false;
    } else if (to.piece != EMPTY) {
        return false;
    }
    switch (from.piece) {
    case BISHOP:
        return reaches_along_rays(from, to, 1, 2);
    case ROOK:
        return reaches_along_rays(from, to, 0, 2);
    case QUEEN:
        return reaches_along_rays(from, to, 0, 1);
    case KNIGHT:
        return is_neighbour(from.jump, to);
    case KING:
        return is_neighbour(from.ray, to);
    default:
        return false;
    }
}

int board::material_balance(int colour) const {
    int balance = 0;
    for (int type = PAWN; type < KING; type++)
        balance +=
            MATERIAL_VALUE[type] * (white_pieces[COUNT_ROW][type] - black_pieces[COUNT_ROW][type]);
    return colour == WHITE ? balance : -balance;
}
