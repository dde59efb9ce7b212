// Playing moves on the board and taking them back. The full pair keeps the
// key, the en passant square and castling; the light pair of the quiescence
// search plays captures and promotions without them.
#include "board/make_move.h"

// Castling needs the king and rook at home, the squares between empty and the
// king's path unattacked.
bool board::castle_path_safe(int from, int to) const {
    const castling& c = *castling_to(to);
    int mover = side_to_move;
    const square_node& rook = squares[c.rook_home];
    if (rook.piece != ROOK || rook.colour != mover) return false;
    const square_node& king = squares[from];
    if (from != c.king_from || king.piece != KING || king.colour != mover) return false;
    for (int s : c.must_be_empty)
        if (s != NO_SQUARE && squares[s].piece != EMPTY) return false;
    for (int s : c.must_be_safe)
        if (is_attacked(s, mover ^ 1)) return false;
    return true;
}

// A mover that was not in check and did not move its king can only have
// uncovered a line from its king through the square it left.
template <int C>
inline bool board::king_left_attacked(move m, int moving, bool was_in_check) const {
    const int king = king_square(C);
    if (king == NO_SQUARE) return false;
    if (moving == KING || was_in_check || (m.flags & FLAG_EP)) return is_attacked(king, C ^ 1);
    const int d = masks.direction_to[king][m.from];
    if (d < 0) return false;
    // The first piece out from the king along that line decides it.
    const uint64_t(&by)[KING + 1] = piece_bits[C ^ 1];
    const uint64_t sliders = by[QUEEN] | (d % 2 == 0 ? by[ROOK] : by[BISHOP]);
    if (!(masks.ray[d][king] & sliders)) return false;
    return sliders & first_on_ray(king, d, colour_bits[WHITE] | colour_bits[BLACK]);
}

void board::put_on(int colour, int type, int square) {
    if (colour == WHITE)
        put_on<WHITE>(type, square);
    else
        put_on<BLACK>(type, square);
}

bool board::make_move(move m) {
    return side_to_move == WHITE ? make_move_as<WHITE>(m) : make_move_as<BLACK>(m);
}

// The quiescence search never reads the key or the en passant square and
// never castles, so the light make leaves them out.
bool board::make_light(move m) {
    if (m.flags & FLAG_CASTLE) return false;
    if (history_count >= HISTORY_SIZE || m.from == m.to) return false;
    const int moving = squares[m.from].piece;
    if (moving == EMPTY) return false;
    return side_to_move == WHITE ? make_light_as<WHITE>(m, moving)
                                 : make_light_as<BLACK>(m, moving);
}

// The quiescence search tries few moves in a position, so each is checked
// along the one line it may have uncovered instead of by the pinned set.
template <int C> bool board::make_light_as(move m, int moving) {
    const bool was_in_check = in_check();
    const undo_record& r = save_state<C>(m);
    play<C, true>(m, moving, r.captured);
    ep_square = NO_SQUARE;

    if (king_left_attacked<C>(m, moving, was_in_check)) {
        unmake_light();
        return false;
    }
    last_move = m;
#ifdef KORVEL_CHECKS
    assert(board_ok(false));
#endif
    return true;
}

void board::unmake_move() {
    // The side to move is the one that did not play the last move.
    if (side_to_move == WHITE)
        unmake_move_as<BLACK>();
    else
        unmake_move_as<WHITE>();
}

void board::unmake_light() {
    if (history_count <= 0) return;
    const undo_record& r = restore_state();
    assert(!(r.played.flags & FLAG_CASTLE));
    if (side_to_move == WHITE)
        take_back<WHITE, true>(r.played, r);
    else
        take_back<BLACK, true>(r.played, r);
#ifdef KORVEL_CHECKS
    assert(board_ok(false));
#endif
}
