// The make and unmake of each side as inline templates. make_move.cpp
// builds the board's entry points from them, and a caller that plays moves
// in a tight loop for a side it knows (the perft walk) inlines them whole.
// The light pair of the quiescence search, which plays captures and
// promotions without the key, the en passant square and castling, is here
// too.
#pragma once

#include <cassert>

#include "board/board.h"
#include "board/castling.h"

namespace board_play {

// ANDed into the castling rights for the origin and destination of every
// move: a king or rook leaving home, or anything landing there, drops rights.
constexpr int castle_mask[64] = {
    7,  15, 15, 15, 3,  15, 15, 11, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    13, 15, 15, 15, 12, 15, 15, 14, //
};

// The pawn taken en passant stands behind the destination, seen from the mover.
template <int C> int ep_victim_square(int to) {
    return C == WHITE ? to + 8 : to - 8;
}

// Moves whose make and unmake do more than move one piece and take another.
constexpr uint8_t ODD_FLAGS = FLAG_CASTLE | FLAG_PROMOTE | FLAG_EP;

} // namespace board_play

// A pinned piece may move only along the line between its king and the
// pinner: its destination lies in the same direction from the king.
template <int C> inline bool board::leaves_pin_line(move m, uint64_t pins) const {
    if (!(pins & square_bit(m.from))) return false;
    const int king = king_square(C);
    return masks.direction_to[king][m.to] != masks.direction_to[king][m.from];
}

template <int C> inline bool board::king_attacked() const {
    const int king = king_square(C);
    return king != NO_SQUARE && is_attacked(king, C ^ 1);
}

// A piece changes its node, the square sets and its piece table row
// together. It keeps its slot while it moves, and slot_of finds the slot
// without a search of the row. The colour is a template argument so that
// the table and set addresses are fixed.
template <int C> inline void board::slide(int type, int from, int to) {
    piece_table& table = C == WHITE ? white_pieces : black_pieces;
    const int slot = slot_of[from];
    assert(table[type][slot] == from && squares[to].piece == EMPTY);
    table[type][slot] = to;
    slot_of[to] = slot;
    const uint64_t both = square_bit(from) | square_bit(to);
    colour_bits[C] ^= both;
    piece_bits[C][type] ^= both;
    squares[to].piece = int8_t(type);
    squares[to].colour = uint8_t(C);
    squares[from].piece = EMPTY;
    squares[from].colour = NO_COLOUR;
}

template <int C> inline void board::take_off(int type, int square) {
    piece_table& table = C == WHITE ? white_pieces : black_pieces;
    assert(table[type][slot_of[square]] == square);
    table[type][slot_of[square]] = NO_SQUARE;
    table[COUNT_ROW][type]--;
    colour_bits[C] ^= square_bit(square);
    piece_bits[C][type] ^= square_bit(square);
    squares[square].piece = EMPTY;
    squares[square].colour = NO_COLOUR;
}

// A piece that comes back or is promoted to takes the first vacant slot.
template <int C> inline void board::put_on(int type, int square) {
    piece_table& table = C == WHITE ? white_pieces : black_pieces;
    int slot = 0;
    while (slot < PIECE_SLOTS - 1 && table[type][slot] != NO_SQUARE) slot++;
    assert(table[type][slot] == NO_SQUARE && "piece table row full");
    table[type][slot] = square;
    table[COUNT_ROW][type]++;
    slot_of[square] = slot;
    colour_bits[C] |= square_bit(square);
    piece_bits[C][type] |= square_bit(square);
    squares[square].piece = int8_t(type);
    squares[square].colour = uint8_t(C);
}

template <int C> inline undo_record& board::save_state(const move& m) {
    const square_node& to = squares[m.to];
    undo_record& r = history[history_count];
    r.played = m;
    r.last_move = last_move;
    r.ep_square = int8_t(ep_square);
    r.castle_rights = uint8_t(castle_rights);
    r.fifty_count = int16_t(fifty_count);
    r.captured = to.piece;
    r.captured_colour = to.colour;
    r.key = key;
    return r;
}

// Everything but castling's rook, the key and the en passant square, which
// only the full make keeps. ODD is false when the caller knows the move
// neither promotes nor takes en passant.
template <int C, bool ODD> inline void board::play(move m, int moving, int captured) {
    using board_play::castle_mask;
    using board_play::ep_victim_square;
    if (captured != EMPTY) take_off<C ^ 1>(captured, m.to);
    if (ODD && (m.flags & FLAG_EP)) take_off<C ^ 1>(PAWN, ep_victim_square<C>(m.to));
    slide<C>(moving, m.from, m.to);
    if (ODD && (m.flags & FLAG_PROMOTE)) {
        take_off<C>(PAWN, m.to);
        put_on<C>(m.promote, m.to);
    }
    castle_rights &= castle_mask[m.to] & castle_mask[m.from];
    fifty_count = (m.flags & (FLAG_CAPTURE | FLAG_PAWN)) ? 0 : fifty_count + 1;
    side_to_move = C ^ 1;
    history_count++;
    forget_check_state();
}

// Out of check, only a pinned piece leaving its line can expose the king,
// except by en passant, which takes a second piece off the line. A move
// refused that way is still made and taken back when it takes or promotes:
// the pieces that come back take the first vacant slots of their rows, and
// later move lists follow that order.
// ODD is false when the move does not castle, promote or take en passant:
// the common case then carries none of their code. Buys perft 16 % of its
// instructions over one make for every kind of move.
// The record copies the move from the caller's memory as a whole; the
// fields are read once into m.
template <int C, bool ODD> inline bool board::make_kind(const move& played, int moving) {
    using board_play::ep_victim_square;
    const move m = played;
    uint64_t pins = 0;
    const bool line_test =
        moving != KING && !(ODD && (m.flags & FLAG_EP)) && pins_out_of_check(pins);
    const bool off_line = line_test && leaves_pin_line<C>(m, pins);
    if (off_line && !(m.flags & (FLAG_CAPTURE | FLAG_PROMOTE))) return false;
    assert(!(m.flags & FLAG_CAPTURE) || (m.flags & FLAG_EP) || squares[m.to].piece != EMPTY);

    undo_record& r = save_state<C>(played);
    const int rights_before = castle_rights;
    // The key follows the move instead of being computed afresh: buys perft
    // 65 % and bench 10 % of their instructions.
    uint64_t k = key;
    if (ODD && (m.flags & FLAG_CASTLE)) {
        r.castled = uint8_t(castled[C]);
        if (const castling* c = castling_to(m.to)) {
            if (!castle_path_safe(m.from, m.to)) return false;
            slide<C>(ROOK, c->rook_home, c->rook_to);
            castled[C] = 1;
            k ^= piece_key(C, ROOK, c->rook_home) ^ piece_key(C, ROOK, c->rook_to);
        }
    }

    play<C, ODD>(m, moving, r.captured);
    const int placed = (ODD && (m.flags & FLAG_PROMOTE)) ? m.promote : moving;
    k ^= piece_key(C, moving, m.from) ^ piece_key(C, placed, m.to);
    if (r.captured != EMPTY) k ^= piece_key(C ^ 1, r.captured, m.to);
    if (ODD && (m.flags & FLAG_EP)) k ^= piece_key(C ^ 1, PAWN, ep_victim_square<C>(m.to));
    if (castle_rights != rights_before) k ^= castle_key(rights_before) ^ castle_key(castle_rights);

    if (ep_square != NO_SQUARE) k ^= ep_key(ep_square);
    ep_square = NO_SQUARE;
    if (m.flags & FLAG_DOUBLE) {
        ep_square = ep_victim_square<C>(m.to);
        k ^= ep_key(ep_square);
    }
    key = ~k; // the other side is to move

    if (line_test ? off_line : king_attacked<C>()) {
        unmake_move_as<C>(played);
        return false;
    }
    last_move = r.played;
#ifdef KORVEL_CHECKS
    assert(board_ok());
#endif
    return true;
}

// The odd moves out of line and the common case forced inline: buys bench 8 %
// of its time in the link-time optimised build (perft 1 % of its instructions).
template <int C> [[gnu::noinline]] bool board::make_odd(const move& m, int moving) {
    return make_kind<C, true>(m, moving);
}

template <int C> [[gnu::always_inline]] inline bool board::make_as(const move& m, int moving) {
    if (m.flags & board_play::ODD_FLAGS) [[unlikely]]
        return make_odd<C>(m, moving);
    return make_kind<C, false>(m, moving);
}

template <int C> inline bool board::make_move_as(const move& m) {
    if (history_count >= HISTORY_SIZE || m.from == m.to) return false;
    const int moving = squares[m.from].piece;
    if (moving == EMPTY) return false;
    return make_as<C>(m, moving);
}

inline const undo_record& board::restore_state() {
    side_to_move ^= 1;
    const undo_record& r = history[--history_count];
    last_move = r.last_move;
    ep_square = r.ep_square;
    castle_rights = r.castle_rights;
    fifty_count = r.fifty_count;
    return r;
}

// C is the side that played m, the move being taken back; ODD as for play.
// The squares come from m and the pieces from the nodes and the record.
template <int C, bool ODD> inline void board::take_back(move m, const undo_record& r) {
    using board_play::ep_victim_square;
    if (ODD && (m.flags & FLAG_PROMOTE)) {
        take_off<C>(m.promote, m.to);
        put_on<C>(PAWN, m.to);
    }
    slide<C>(squares[m.to].piece, m.to, m.from);
    if (r.captured != EMPTY) put_on<C ^ 1>(r.captured, m.to);
    if (ODD && (m.flags & FLAG_EP)) put_on<C ^ 1>(PAWN, ep_victim_square<C>(m.to));
}

template <int C> [[gnu::noinline]] void board::take_back_odd(const undo_record& r) {
    if (r.played.flags & FLAG_CASTLE) {
        castled[C] = r.castled;
        if (const castling* c = castling_to(r.played.to)) slide<C>(ROOK, c->rook_to, c->rook_home);
    }
    take_back<C, true>(r.played, r);
}

// The caller names the last move made, so that its squares are known
// without a wait for the record that the make has only just written.
// Buys perft_bench 10 % of its time for the same instructions.
template <int C> inline void board::unmake_move_as(const move& played) {
    assert(history_count > 0);
    const move m = played;
    const undo_record& r = restore_state();
    assert(r.played == m);
    key = r.key;
    if (m.flags & board_play::ODD_FLAGS)
        take_back_odd<C>(r);
    else
        take_back<C, false>(m, r);
#ifdef KORVEL_CHECKS
    assert(board_ok());
#endif
}

template <int C> inline void board::unmake_move_as() {
    if (history_count <= 0) return;
    unmake_move_as<C>(history[history_count - 1].played);
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

// The quiescence search tries few moves in a position, so each is checked
// along the one line it may have uncovered instead of by the pinned set.
template <int C> inline bool board::make_light_as(move m, int moving) {
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

[[gnu::always_inline]] inline void board::unmake_light() {
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

// The quiescence search never reads the key or the en passant square and
// never castles, so the light make leaves them out. The pair is forced
// inline into the quiescence search: buys bench 1.3 % of its instructions.
[[gnu::always_inline]] inline bool board::make_light(move m) {
    if (m.flags & FLAG_CASTLE) return false;
    if (history_count >= HISTORY_SIZE || m.from == m.to) return false;
    const int moving = squares[m.from].piece;
    if (moving == EMPTY) return false;
    return side_to_move == WHITE ? make_light_as<WHITE>(m, moving)
                                 : make_light_as<BLACK>(m, moving);
}
