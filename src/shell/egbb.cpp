#include "shell/egbb.h"

#include <cstdio>
#include <initializer_list>

#include "shell/config.h"
#include "shell/egbb_interface.h"
#include "shell/platform.h"

constexpr int LIBRARY_PATH_BYTES = 260;
constexpr int EGBB_LOAD_OPTION = 1;
// The library numbers squares from a1; ours run from a8.
constexpr int FLIP_RANKS = 56;

namespace {

void* library = nullptr;
egbb_probe_call probe_call = nullptr; // null exactly when no library is held

// By colour, then by our piece type.
constexpr int PIECE_CODES[2][KING] = {
    {EGBB_NO_PIECE, EGBB_BLACK_PAWN, EGBB_BLACK_KNIGHT, EGBB_BLACK_BISHOP, EGBB_BLACK_ROOK,
     EGBB_BLACK_QUEEN},
    {EGBB_NO_PIECE, EGBB_WHITE_PAWN, EGBB_WHITE_KNIGHT, EGBB_WHITE_BISHOP, EGBB_WHITE_ROOK,
     EGBB_WHITE_QUEEN},
};

void release_library() {
    if (library) library_close(library);
    library = nullptr;
    probe_call = nullptr;
}

// Both calls or nothing: a library missing either is closed again unused.
bool open_library(const char* path, egbb_load_call* load) {
    void* opened = library_open(path);
    if (!opened) return false;
    void* load_address = library_symbol(opened, EGBB_LOAD_NAME);
    void* probe_address = library_symbol(opened, EGBB_PROBE_NAME);
    if (!load_address || !probe_address) {
        library_close(opened);
        return false;
    }
    library = opened;
    *load = reinterpret_cast<egbb_load_call>(load_address);
    probe_call = reinterpret_cast<egbb_probe_call>(probe_address);
    return true;
}

// The squares an en passant capture changes: the capturing pawn leaves
// `from`, lands on `to`, and the pawn on `victim` goes.
struct ep_capture {
    int from, to, victim;
};

bool occupied_after(const square_node& n, const ep_capture& c) {
    if (n.square == c.from || n.square == c.victim) return false;
    return n.square == c.to || n.piece != EMPTY;
}

// Whether the mover's king stands attacked once the capture is made; the
// captured pawn attacks nothing any more.
bool king_attacked_after(const board& b, const ep_capture& c) {
    const int mover = b.side_to_move, enemy = mover ^ 1;
    const square_node& king = b.squares[b.king_square(mover)];
    for (int d = 0; d < 8; d++) {
        int step = 1;
        const square_node* n = king.ray[d];
        while (n && !occupied_after(*n, c)) n = n->ray[d], step++;
        if (!n || n->square == c.to || n->colour != enemy) continue;
        const int p = n->piece;
        if (p == QUEEN || p == (d % 2 == 0 ? ROOK : BISHOP) || (p == KING && step == 1))
            return true;
        const int pawn_attack_row = mover == WHITE ? -1 : 1; // the enemy pawn stands ahead
        if (p == PAWN && step == 1 && d % 2 == 1 &&
            n->square / 8 - king.square / 8 == pawn_attack_row)
            return true;
    }
    for (const square_node* j : king.jump)
        if (j && j->piece == KNIGHT && j->colour == enemy) return true;
    return false;
}

// The tables assume no en passant capture is possible; a set square only
// matters when a pawn can really take on it.
bool en_passant_possible(const board& b) {
    if (b.ep_square == NO_SQUARE || b.king_square(b.side_to_move) == NO_SQUARE) return false;
    const int mover = b.side_to_move;
    const int victim = mover == WHITE ? b.ep_square + 8 : b.ep_square - 8;
    if (!square_ok(victim)) return false;
    for (int side : {W, E}) {
        const square_node* from = b.squares[victim].ray[side];
        if (!from || from->piece != PAWN || from->colour != mover) continue;
        if (!king_attacked_after(b, {from->square, b.ep_square, victim})) return true;
    }
    return false;
}

} // namespace

bool egbb_load() {
    char path[LIBRARY_PATH_BYTES];
    snprintf(path, sizeof path, "%s%s", egbb_path, EGBB_LIBRARY_FILE);
    release_library();
    egbb_load_call load = nullptr;
    if (!open_library(path, &load)) {
        printf("EgbbProbe not Loaded!\n");
        return false;
    }
    load(egbb_path, egbb_cache_bytes, EGBB_LOAD_OPTION);
    printf("EgbbProbe Loaded!\n");
    return true;
}

bool egbb_in_domain(const board& b) {
    return b.pieces_besides_kings() <= EGBB_PIECE_SLOTS;
}

// The calling form has no en passant square or castling rights, and the
// tables assume neither: a position where an en passant capture is legal, or
// where a side may still castle, is left to the search, since those moves can
// change the result.
bool egbb_probe(const board& b, int* score) {
    *score = EGBB_NOT_FOUND;
    if (!probe_call || b.castle_rights != 0 || en_passant_possible(b)) return false;
    int king[2] = {EGBB_NO_KING, EGBB_NO_KING};
    int piece[EGBB_PIECE_SLOTS] = {EGBB_NO_PIECE, EGBB_NO_PIECE, EGBB_NO_PIECE};
    int square[EGBB_PIECE_SLOTS] = {0, 0, 0};
    int used = 0;
    for (int sq = 0; sq < 64; sq++) {
        const square_node& node = b.squares[sq];
        if (node.piece == EMPTY) continue;
        if (node.piece == KING) {
            king[node.colour] = sq ^ FLIP_RANKS;
        } else {
            if (used == EGBB_PIECE_SLOTS) return false; // outside the domain
            piece[used] = PIECE_CODES[node.colour][node.piece];
            square[used++] = sq ^ FLIP_RANKS;
        }
    }
    *score = probe_call(b.side_to_move ^ 1, king[WHITE], king[BLACK], piece[0], square[0], piece[1],
                        square[1], piece[2], square[2]);
    return *score != EGBB_NOT_FOUND;
}
