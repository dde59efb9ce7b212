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

void replace_square(int* row, int count, int from, int to) {
    for (int slot = 0, seen = 0; slot < PIECE_SLOTS && seen < count; slot++) {
        if (row[slot] == NO_SQUARE) continue;
        if (row[slot] == from) {
            row[slot] = to;
            return;
        }
        seen++;
    }
}

void remove_square(piece_table& table, int type, int square) {
    replace_square(table[type], table[COUNT_ROW][type], square, NO_SQUARE);
    table[COUNT_ROW][type]--;
}

void add_square(piece_table& table, int type, int square) {
    table[COUNT_ROW][type]++;
    for (int slot = 0; slot < PIECE_SLOTS; slot++) {
        if (table[type][slot] == NO_SQUARE) {
            table[type][slot] = square;
            return;
        }
    }
    assert(false && "piece table row full");
}

void put(square_node& node, int piece, int colour) {
    node.piece = int8_t(piece);
    node.colour = uint8_t(colour);
}

void empty(square_node& node) { put(node, EMPTY, NO_COLOUR); }

// The pawn taken en passant stands behind the destination, seen from the mover.
int ep_victim_square(int to, int mover) { return mover == WHITE ? to + 8 : to - 8; }

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

bool board::make_move(move m) {
    if (history_count >= HISTORY_SIZE) return false;
    square_node& from = squares[m.from];
    square_node& to = squares[m.to];
    const int moving = from.piece;
    if (moving == EMPTY) return false;
    const int mover = side_to_move;
    const int flags = m.flags;
    assert(!(flags & FLAG_CAPTURE) || (flags & FLAG_EP) || to.piece != EMPTY);

    undo_record& r = history[history_count];
    r.played = m;
    r.last_move = last_move;
    r.ep_square = int8_t(ep_square);
    r.castle_rights = uint8_t(castle_rights);
    r.fifty_count = int16_t(fifty_count);
    r.captured = to.piece;
    r.captured_colour = to.colour;
    r.moving = int8_t(moving);
    r.castled = uint8_t(castled[mover]);
    r.key = key;

    uint64_t k = key;
    if (flags & FLAG_CASTLE) {
        if (const castling* c = castling_to(m.to)) {
            if (!castle_path_safe(m.from, m.to)) return false;
            put(squares[c->rook_to], ROOK, mover);
            empty(squares[c->rook_home]);
            castled[mover] = 1;
            k ^= piece_key(mover, ROOK, c->rook_home) ^ piece_key(mover, ROOK, c->rook_to);
        }
    }

    put(to, moving, mover);
    empty(from);
    k ^= piece_key(mover, moving, m.from);
    if (r.captured != EMPTY) k ^= piece_key(mover ^ 1, r.captured, m.to);

    int rights = castle_rights & castle_mask[m.to] & castle_mask[m.from];
    k ^= castle_key(castle_rights) ^ castle_key(rights);
    castle_rights = rights;

    if (flags & FLAG_PROMOTE) to.piece = int8_t(m.promote);
    k ^= piece_key(mover, to.piece, m.to);

    if (ep_square != NO_SQUARE) k ^= ep_key(ep_square);
    ep_square = NO_SQUARE;
    if (flags & FLAG_EP) {
        int victim = ep_victim_square(m.to, mover);
        empty(squares[victim]);
        k ^= piece_key(mover ^ 1, PAWN, victim);
    }
    if (flags & FLAG_DOUBLE) {
        ep_square = ep_victim_square(m.to, mover);
        k ^= ep_key(ep_square);
    }

    fifty_count = (flags & (FLAG_CAPTURE | FLAG_PAWN)) ? 0 : fifty_count + 1;
    update_lists(moving, m.from, m.to, flags, m.promote, r.captured);

    side_to_move = mover ^ 1;
    history_count++;
    key = ~k;

    int king = king_square(mover);
    if (king != NO_SQUARE && is_attacked(king, mover ^ 1)) {
        unmake_move();
        return false;
    }
    last_move = m;
#ifdef KORVEL_CHECKS
    assert(board_ok());
#endif
    return true;
}

void board::unmake_move() {
    if (history_count <= 0) return;
    side_to_move ^= 1;
    const int mover = side_to_move;
    const undo_record& r = history[--history_count];
    const move m = r.played;

    last_move = r.last_move;
    ep_square = r.ep_square;
    castle_rights = r.castle_rights;
    fifty_count = r.fifty_count;
    castled[mover] = r.castled;
    key = r.key;

    if (m.flags & FLAG_CASTLE) {
        if (const castling* c = castling_to(m.to)) {
            empty(squares[c->rook_to]);
            put(squares[c->rook_home], ROOK, mover);
        }
    }
    square_node& from = squares[m.from];
    square_node& to = squares[m.to];
    put(from, to.piece, to.colour);
    empty(to);
    if (m.flags & FLAG_CAPTURE) put(to, r.captured, r.captured_colour);
    if (m.flags & FLAG_PROMOTE) from.piece = PAWN;
    if (m.flags & FLAG_EP) put(squares[ep_victim_square(m.to, mover)], PAWN, mover ^ 1);

    restore_lists(r.moving, m.promote, m.from, m.to, m.flags, r.captured);
#ifdef KORVEL_CHECKS
    assert(board_ok());
#endif
}

void board::update_lists(int moving, int from, int to, int flags, int promote, int captured) {
    piece_table& own = pieces_of(side_to_move);
    piece_table& other = pieces_of(side_to_move ^ 1);
    if (!(flags & FLAG_PAWN)) {
        if (flags & FLAG_CASTLE) {
            own[KING][0] = to;
            if (const castling* c = castling_to(to))
                replace_square(own[ROOK], own[COUNT_ROW][ROOK], c->rook_home, c->rook_to);
            return;
        }
        replace_square(own[moving], own[COUNT_ROW][moving], from, to);
    } else if (flags & FLAG_PROMOTE) {
        remove_square(own, PAWN, from);
        add_square(own, promote, to);
    } else if (flags & FLAG_EP) {
        replace_square(own[PAWN], own[COUNT_ROW][PAWN], from, to);
        remove_square(other, PAWN, ep_victim_square(to, side_to_move));
        return;
    } else {
        replace_square(own[PAWN], own[COUNT_ROW][PAWN], from, to);
    }
    if (flags & FLAG_CAPTURE) remove_square(other, captured, to);
}

void board::restore_lists(int moving, int promote, int from, int to, int flags, int captured) {
    piece_table& own = pieces_of(side_to_move);
    piece_table& other = pieces_of(side_to_move ^ 1);
    if (!(flags & FLAG_PAWN)) {
        if (flags & FLAG_CASTLE) {
            own[KING][0] = from;
            if (const castling* c = castling_to(to))
                replace_square(own[ROOK], own[COUNT_ROW][ROOK], c->rook_to, c->rook_home);
            return;
        }
        replace_square(own[moving], own[COUNT_ROW][moving], to, from);
    } else if (flags & FLAG_PROMOTE) {
        add_square(own, PAWN, from);
        remove_square(own, promote, to);
    } else if (flags & FLAG_EP) {
        replace_square(own[PAWN], own[COUNT_ROW][PAWN], to, from);
        add_square(other, PAWN, ep_victim_square(to, side_to_move));
        return;
    } else {
        replace_square(own[PAWN], own[COUNT_ROW][PAWN], to, from);
    }
    if (flags & FLAG_CAPTURE) add_square(other, captured, to);
}
