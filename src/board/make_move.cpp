// Playing moves on the board and taking them back. The full pair keeps the
// key, the en passant square and castling; the light pair of the quiescence
// search plays captures and promotions without them.
#include <cassert>

#include "board/board.h"
#include "board/castling.h"

namespace {

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

// line_direction[a][b]: the ray direction leading from a to b, or -1 when
// the two squares share no rank, file or diagonal.
struct line_table {
    int8_t dir[64][64];

    constexpr line_table() : dir{} {
        constexpr int FILE_STEP[8] = {0, 1, 1, 1, 0, -1, -1, -1};
        constexpr int ROW_STEP[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
        for (int a = 0; a < 64; a++)
            for (int b = 0; b < 64; b++) dir[a][b] = -1;
        for (int a = 0; a < 64; a++) {
            for (int d = 0; d < 8; d++) {
                int f = a % 8 + FILE_STEP[d], r = a / 8 + ROW_STEP[d];
                for (; f >= 0 && f < 8 && r >= 0 && r < 8; f += FILE_STEP[d], r += ROW_STEP[d])
                    dir[a][r * 8 + f] = int8_t(d);
            }
        }
    }
};
constexpr line_table line_direction;

// The pawn taken en passant stands behind the destination, seen from the mover.
int ep_victim_square(int to, int mover) {
    return mover == WHITE ? to + 8 : to - 8;
}

} // namespace

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
bool board::king_left_attacked(move m, int moving, int mover, bool was_in_check) const {
    const int king = king_square(mover);
    if (king == NO_SQUARE) return false;
    if (moving == KING || was_in_check || (m.flags & FLAG_EP)) return is_attacked(king, mover ^ 1);
    const int d = line_direction.dir[king][m.from];
    if (d < 0) return false;
    const square_node* n = squares[king].ray[d];
    while (n->piece == EMPTY) {
        n = n->ray[d];
        if (!n) return false;
    }
    if (n->colour == mover) return false;
    return n->piece == QUEEN || n->piece == (d % 2 == 0 ? ROOK : BISHOP);
}

// The row operations on the piece tables. A piece keeps its slot while it
// moves; slot_of finds it without a search of the row.
void board::move_in_row(piece_table& table, int type, int from, int to) {
    const int slot = slot_of[from];
    assert(table[type][slot] == from);
    table[type][slot] = to;
    slot_of[to] = slot;
}

void board::remove_from_row(piece_table& table, int type, int square) {
    assert(table[type][slot_of[square]] == square);
    table[type][slot_of[square]] = NO_SQUARE;
    table[COUNT_ROW][type]--;
}

// A piece that comes back or is promoted to takes the first vacant slot.
void board::add_to_row(piece_table& table, int type, int square) {
    table[COUNT_ROW][type]++;
    for (int slot = 0; slot < PIECE_SLOTS; slot++) {
        if (table[type][slot] == NO_SQUARE) {
            table[type][slot] = square;
            slot_of[square] = slot;
            return;
        }
    }
    assert(false && "piece table row full");
}

undo_record& board::save_state(move m) {
    const square_node& to = squares[m.to];
    undo_record& r = history[history_count];
    r.played = m;
    r.last_move = last_move;
    r.ep_square = int8_t(ep_square);
    r.castle_rights = uint8_t(castle_rights);
    r.fifty_count = int16_t(fifty_count);
    r.captured = to.piece;
    r.captured_colour = to.colour;
    r.moving = squares[m.from].piece;
    r.castled = uint8_t(castled[side_to_move]);
    r.key = key;
    return r;
}

void board::play_on_nodes(move m, int mover) {
    if (squares[m.to].piece != EMPTY) lift(m.to);
    shift(m.from, m.to);
    if (m.flags & FLAG_PROMOTE) retype(m.to, m.promote);
    if (m.flags & FLAG_EP) lift(ep_victim_square(m.to, mover));
    castle_rights &= castle_mask[m.to] & castle_mask[m.from];
}

void board::finish_make(move m, int moving, int captured) {
    fifty_count = (m.flags & (FLAG_CAPTURE | FLAG_PAWN)) ? 0 : fifty_count + 1;
    update_lists(moving, m.from, m.to, m.flags, m.promote, captured);
    side_to_move ^= 1;
    history_count++;
    check_state[history_count] = CHECK_UNKNOWN;
}

bool board::make_move(move m) {
    if (history_count >= HISTORY_SIZE || m.from == m.to) return false;
    const int moving = squares[m.from].piece;
    if (moving == EMPTY) return false;
    const int mover = side_to_move;
    const bool was_in_check = in_check();
    assert(!(m.flags & FLAG_CAPTURE) || (m.flags & FLAG_EP) || squares[m.to].piece != EMPTY);

    const undo_record& r = save_state(m);
    uint64_t k = key;
    if (m.flags & FLAG_CASTLE) {
        if (const castling* c = castling_to(m.to)) {
            if (!castle_path_safe(m.from, m.to)) return false;
            shift(c->rook_home, c->rook_to);
            castled[mover] = 1;
            k ^= piece_key(mover, ROOK, c->rook_home) ^ piece_key(mover, ROOK, c->rook_to);
        }
    }

    const int old_rights = castle_rights;
    play_on_nodes(m, mover);
    k ^= piece_key(mover, moving, m.from) ^ piece_key(mover, squares[m.to].piece, m.to);
    if (r.captured != EMPTY) k ^= piece_key(mover ^ 1, r.captured, m.to);
    if (m.flags & FLAG_EP) k ^= piece_key(mover ^ 1, PAWN, ep_victim_square(m.to, mover));
    k ^= castle_key(old_rights) ^ castle_key(castle_rights);

    if (ep_square != NO_SQUARE) k ^= ep_key(ep_square);
    ep_square = NO_SQUARE;
    if (m.flags & FLAG_DOUBLE) {
        ep_square = ep_victim_square(m.to, mover);
        k ^= ep_key(ep_square);
    }
    finish_make(m, moving, r.captured);
    key = ~k; // the other side is to move

    if (king_left_attacked(m, moving, mover, was_in_check)) {
        unmake_move();
        return false;
    }
    last_move = m;
#ifdef KORVEL_CHECKS
    assert(board_ok());
#endif
    return true;
}

// The quiescence search never reads the key or the en passant square and
// never castles, so the light make leaves them out.
bool board::make_light(move m) {
    if (m.flags & FLAG_CASTLE) return false;
    if (history_count >= HISTORY_SIZE || m.from == m.to) return false;
    const int moving = squares[m.from].piece;
    if (moving == EMPTY) return false;
    const int mover = side_to_move;
    const bool was_in_check = in_check();

    const undo_record& r = save_state(m);
    play_on_nodes(m, mover);
    ep_square = NO_SQUARE;
    finish_make(m, moving, r.captured);

    if (king_left_attacked(m, moving, mover, was_in_check)) {
        unmake_light();
        return false;
    }
    last_move = m;
    return true;
}

const undo_record& board::restore_state() {
    side_to_move ^= 1;
    const undo_record& r = history[--history_count];
    last_move = r.last_move;
    ep_square = r.ep_square;
    castle_rights = r.castle_rights;
    fifty_count = r.fifty_count;
    castled[side_to_move] = r.castled;
    return r;
}

void board::take_back_on_nodes(const undo_record& r) {
    const move m = r.played;
    const int mover = side_to_move;
    shift(m.to, m.from);
    if (m.flags & FLAG_PROMOTE) retype(m.from, PAWN);
    if (r.captured != EMPTY) place(m.to, r.captured, r.captured_colour);
    if (m.flags & FLAG_EP) place(ep_victim_square(m.to, mover), PAWN, mover ^ 1);
    restore_lists(r.moving, m.promote, m.from, m.to, m.flags, r.captured);
}

void board::unmake_move() {
    if (history_count <= 0) return;
    const undo_record& r = restore_state();
    key = r.key;
    if (r.played.flags & FLAG_CASTLE) {
        if (const castling* c = castling_to(r.played.to)) {
            shift(c->rook_to, c->rook_home);
        }
    }
    take_back_on_nodes(r);
#ifdef KORVEL_CHECKS
    assert(board_ok());
#endif
}

void board::unmake_light() {
    if (history_count <= 0) return;
    const undo_record& r = restore_state();
    assert(!(r.played.flags & FLAG_CASTLE));
    take_back_on_nodes(r);
}

// The captured piece leaves its row first, since the mover then takes
// over its square's entry in slot_of.
void board::update_lists(int moving, int from, int to, int flags, int promote, int captured) {
    piece_table& own = pieces_of(side_to_move);
    piece_table& other = pieces_of(side_to_move ^ 1);
    if ((flags & FLAG_CAPTURE) && !(flags & (FLAG_EP | FLAG_CASTLE)))
        remove_from_row(other, captured, to);
    if (!(flags & FLAG_PAWN)) {
        if (flags & FLAG_CASTLE) {
            own[KING][0] = to;
            slot_of[to] = 0;
            if (const castling* c = castling_to(to))
                move_in_row(own, ROOK, c->rook_home, c->rook_to);
            return;
        }
        move_in_row(own, moving, from, to);
    } else if (flags & FLAG_PROMOTE) {
        remove_from_row(own, PAWN, from);
        add_to_row(own, promote, to);
    } else if (flags & FLAG_EP) {
        move_in_row(own, PAWN, from, to);
        remove_from_row(other, PAWN, ep_victim_square(to, side_to_move));
    } else {
        move_in_row(own, PAWN, from, to);
    }
}

void board::restore_lists(int moving, int promote, int from, int to, int flags, int captured) {
    piece_table& own = pieces_of(side_to_move);
    piece_table& other = pieces_of(side_to_move ^ 1);
    if (!(flags & FLAG_PAWN)) {
        if (flags & FLAG_CASTLE) {
            own[KING][0] = from;
            slot_of[from] = 0;
            if (const castling* c = castling_to(to))
                move_in_row(own, ROOK, c->rook_to, c->rook_home);
            return;
        }
        move_in_row(own, moving, to, from);
    } else if (flags & FLAG_PROMOTE) {
        add_to_row(own, PAWN, from);
        remove_from_row(own, promote, to);
    } else if (flags & FLAG_EP) {
        move_in_row(own, PAWN, to, from);
        add_to_row(other, PAWN, ep_victim_square(to, side_to_move));
        return;
    } else {
        move_in_row(own, PAWN, to, from);
    }
    if (flags & FLAG_CAPTURE) add_to_row(other, captured, to);
}
