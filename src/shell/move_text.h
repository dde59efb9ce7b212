// Moves as text: the coordinate form the engine prints, and the reader of
// standard algebraic notation used for test records and game files.
#pragma once

#include "board/board.h"

// Room for every piece of one type and colour the board's tables can hold.
constexpr int MAX_ORIGINS = PIECE_SLOTS;

// Held by value, so two texts can be used in one expression.
struct move_text {
    char text[6]; // "e7e8Q" at most
};

struct origin_list {
    int count;
    int squares[MAX_ORIGINS];
};

// Coordinate form: from-square, to-square and, for a promotion, the
// upper-case piece letter. The all-zero move reads a8a8.
move_text move_to_text(move m);

// The square named by the first two characters ("e4"), or -1.
int square_from_text(const char* text);

// The squares of `colour`'s pieces of `type` that reach `target` on the
// board as it stands; pins and checks are not considered.
origin_list origins_of(const board& b, int target, int type, int colour);

// Reads one SAN word (Nf3, exd5, O-O, e8=Q, Rad1, or the long forms Ng1-f3
// and e2-e4). Returns 0 when the text cannot be a move at all (it does not
// start with a letter or '0'), else 1 with *out the move, or no_move when the
// text names no single move of the side to move. Piece moves are resolved
// with trial makes, so the board is used but left as it was.
// Long forms and castling are not checked against the board: the caller's
// make_move, or a search of the generated moves, decides.
int parse_san(board& b, const char* text, move* out);
// The same, telling whether the move was taken as written (castling and the
// long forms). A move resolved on the board is built as the generator builds
// it, so only one taken as written needs looking up among generated moves.
int parse_san(board& b, const char* text, move* out, bool* as_written);
