// The quiescence search's make and unmake: captures and queen promotions
// played without the key, the en passant square or castling, which that
// search never reads or plays.
#include <cassert>
#include <initializer_list>

#include "board/board.h"
#include "board/castling.h"

namespace {

// A king or rook leaving its home square, or anything landing there, ends
// the castlings that need it.
int rights_after(int rights, int from, int to) {
    for (const castling& c : CASTLINGS) {
        for (int home : {c.king_from, c.rook_home})
            if (from == home || to == home) rights &= ~c.right;
    }
    return rights;
}

void put(square_node& node, int piece, int colour) {
    node.piece = int8_t(piece);
    node.colour = uint8_t(colour);
}

// The pawn taken en passant stands behind the destination, seen from the mover.
int ep_victim_square(int to, int mover) {
    return mover == WHITE ? to + 8 : to - 8;
}

} // namespace

bool board::make_light(move m) {
    // Castling moves the rook in the piece table only through the full make.
    if (m.flags & FLAG_CASTLE) return false;
    if (history_count >= HISTORY_SIZE) return false;
    square_node& from = squares[m.from];
    square_node& to = squares[m.to];
    const int moving = from.piece;
    if (moving == EMPTY) return false;
    const int mover = side_to_move;

    // The record's key is left as it was: nothing reads it below a light make.
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

    put(to, moving, mover);
    put(from, EMPTY, NO_COLOUR);
    castle_rights = rights_after(castle_rights, m.from, m.to);
    if (m.flags & FLAG_PROMOTE) to.piece = int8_t(m.promote);
    ep_square = NO_SQUARE;
    if (m.flags & FLAG_EP) put(squares[ep_victim_square(m.to, mover)], EMPTY, NO_COLOUR);
    fifty_count = (m.flags & (FLAG_CAPTURE | FLAG_PAWN)) ? 0 : fifty_count + 1;
    update_lists(moving, m.from, m.to, m.flags, m.promote, r.captured);

    side_to_move = mover ^ 1;
    history_count++;
    const int king = king_square(mover);
    if (king != NO_SQUARE && is_attacked(king, mover ^ 1)) {
        unmake_light();
        return false;
    }
    last_move = m;
    return true;
}

void board::unmake_light() {
    if (history_count <= 0) return;
    side_to_move ^= 1;
    const int mover = side_to_move;
    const undo_record& r = history[--history_count];
    const move m = r.played;
    assert(!(m.flags & FLAG_CASTLE));

    last_move = r.last_move;
    ep_square = r.ep_square;
    castle_rights = r.castle_rights;
    fifty_count = r.fifty_count;
    castled[mover] = r.castled;

    square_node& from = squares[m.from];
    square_node& to = squares[m.to];
    put(from, to.piece, to.colour);
    put(to, EMPTY, NO_COLOUR);
    if (m.flags & FLAG_CAPTURE) put(to, r.captured, r.captured_colour);
    if (m.flags & FLAG_PROMOTE) from.piece = PAWN;
    if (m.flags & FLAG_EP) put(squares[ep_victim_square(m.to, mover)], PAWN, mover ^ 1);
    restore_lists(r.moving, m.promote, m.from, m.to, m.flags, r.captured);
}
