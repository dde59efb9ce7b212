// The board's entry points to the full make and unmake, which keep the key,
// the en passant square and castling, and the castling test they share.
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

void board::put_on(int colour, int type, int square) {
    if (colour == WHITE)
        put_on<WHITE>(type, square);
    else
        put_on<BLACK>(type, square);
}

bool board::make_move(move m) {
    return side_to_move == WHITE ? make_move_as<WHITE>(m) : make_move_as<BLACK>(m);
}

void board::unmake_move() {
    // The side to move is the one that did not play the last move.
    if (side_to_move == WHITE)
        unmake_move_as<BLACK>();
    else
        unmake_move_as<WHITE>();
}
