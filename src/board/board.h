// One chess position with the stack of moves made since it was set up.
#pragma once

#include <cassert>
#include <cstdint>

#include "board/bitboards.h"
#include "board/key_table.h"
#include "board/types.h"

// Legal play can reach ten pieces of one type and colour (two originals
// plus eight promotions), so a row has room for ten.
constexpr int PIECE_SLOTS = 10;
constexpr int PIECE_ROWS = 8;
constexpr int COUNT_ROW = 0;

// Long games and long move lists plus the search's plies on top.
constexpr int HISTORY_SIZE = 8192;

struct square_node {
    int8_t piece; // EMPTY exactly when colour is NO_COLOUR
    uint8_t colour;
    uint8_t square;
    square_node* ray[8];  // neighbour in each direction, null at the edge
    square_node* jump[8]; // knight targets, null off the board
};

struct undo_record {
    move played;
    move last_move;
    int8_t ep_square;
    uint8_t castle_rights;
    int16_t fifty_count;
    int8_t captured; // piece found on `to` before the move (EMPTY for en passant)
    uint8_t captured_colour;
    uint8_t castled; // the mover's castled entry, written by castling moves only
    uint64_t key;    // key of the position in which the move was made
};

using piece_table = int[PIECE_ROWS][PIECE_SLOTS];

class board {
  public:
    // Row 0 holds counts by type; rows 1..6 hold squares by type, -1 when vacant.
    // The king is always in slot 0 of its row.
    piece_table white_pieces;
    piece_table black_pieces;
    int side_to_move;
    // 1 white king-side, 2 white queen-side, 4 black king-side, 8 black queen-side.
    int castle_rights;
    int ep_square; // square passed over by the last two-square advance, or -1
    int fifty_count;
    int history_count;
    int castled[2];
    move last_move;
    undo_record history[HISTORY_SIZE];
    square_node squares[64];
    uint64_t key;
    // The nodes again as square sets, by colour code: all of a colour's
    // pieces, and its pieces of each type (the set of type EMPTY stays
    // empty, so that the sets are indexed by type). Every change of a node
    // during play goes through slide, take_off and put_on, which keep them
    // in step.
    uint64_t colour_bits[2];
    uint64_t piece_bits[2][KING + 1];
    // For each occupied square, the slot of its piece in its piece table
    // row. An empty square keeps what its last piece left there: it is
    // never read, and clearing it would cost every make and unmake a store.
    // Buys perft 7 % and bench 1.5 % of their instructions over a search of the row.
    int slot_of[64];

    board();
    virtual ~board();

    void clear();
    void set_position(const char* fen);
    void print() const;
    int piece_count(int type, int colour) const { return pieces_of(colour)[COUNT_ROW][type]; }

    piece_table& pieces_of(int colour) { return colour == WHITE ? white_pieces : black_pieces; }
    const piece_table& pieces_of(int colour) const {
        return colour == WHITE ? white_pieces : black_pieces;
    }
    int king_square(int colour) const { return pieces_of(colour)[KING][0]; }
    // Pieces on the board besides the two kings, pawns included.
    int pieces_besides_kings() const {
        int n = 0;
        for (int type = PAWN; type < KING; type++)
            n += white_pieces[COUNT_ROW][type] + black_pieces[COUNT_ROW][type];
        return n;
    }

    bool make_move(move m);
    void unmake_move();
    // The same pair for a side known to the caller: C is the side to move
    // for the make and the side that played for the unmake. Defined in
    // board/make_move.h, for loops that want them inline.
    template <int C> bool make_move_as(const move& m);
    template <int C> void unmake_move_as();
    // The second form is told the last move made, as its caller knows it;
    // there must be one.
    template <int C> void unmake_move_as(const move& played);
    // Also rebuilds the square sets and slots from the nodes and tables.
    void compute_key();
    uint64_t key_from_scratch() const;
    // Whoever changes the side to move or the pieces without make/unmake
    // (the search's null move) must call this.
    void forget_check_state() {
        check_state[history_count] = CHECK_UNKNOWN;
        pinned_at[history_count] = PINS_UNKNOWN;
    }

    bool is_attacked(int square, int colour) const;
    // Pieces of the colour that stand alone between its king and an enemy
    // slider that moves along that line.
    uint64_t pinned_pieces(int colour) const;
    bool move_is_valid(move m) const;
    int material_balance(int colour) const;

    // Whether the side to move is in check; worked out once per position.
    bool in_check() const {
        int8_t& state = check_state[history_count];
        if (state == CHECK_UNKNOWN) {
            const int k = king_square(side_to_move);
            state = k >= 0 && is_attacked(k, side_to_move ^ 1) ? CHECK_YES : CHECK_NO;
        }
        return state == CHECK_YES;
    }

    // --- Static exchange and the light make for the quiescence search ---
    // Estimated loss, never positive, for the side to move of an exchange on
    // the square, from sorted attacker values alone; no move is made.
    int see(int square) const;
    // The colour's pieces that the exchange counts on the square, by type;
    // returns how many.
    int count_attackers(int square, int colour, int (&found)[KING + 1]) const;
    template <int C> int count_attackers_as(int square, int (&found)[KING + 1]) const;
    // make_move without castling, en passant square or key: the key stays that
    // of the position where the first light make was played. Undo only with
    // unmake_light. Castling moves are refused. Defined in board/make_move.h,
    // inline in the quiescence search.
    bool make_light(move m);
    void unmake_light();

#ifdef KORVEL_CHECKS
    // The nodes, piece tables, square sets, slots and rights agree; with
    // key_kept, the key too. The light pair leaves the key behind, so its
    // checks pass false.
    bool board_ok(bool key_kept = true) const;
#endif

  private:
    // Two facts about the position at each history level, each worked out
    // the first time it is asked for and forgotten when a make reaches the
    // level again.
    // Whether the side to move is in check: out of check, the test after a
    // light make only looks along the line the moved piece uncovered.
    // Buys bench 2 % of its instructions.
    enum check_state_code : int8_t { CHECK_UNKNOWN = -1, CHECK_NO = 0, CHECK_YES = 1 };
    mutable int8_t check_state[HISTORY_SIZE + 1];
    // Out of check, the side to move's pinned pieces: a make then only asks
    // whether the moved piece left its line. No position pins every square,
    // so that set marks pins not yet worked out.
    // Buys perft 11 % of its instructions over the check test after each make.
    static constexpr uint64_t PINS_UNKNOWN = ~uint64_t(0);
    mutable uint64_t pinned_at[HISTORY_SIZE + 1];
    // Out of check, sets pins to the side to move's pinned pieces and
    // returns true; in check, returns false. The usual case, a position
    // whose pins are known, costs one test.
    bool pins_out_of_check(uint64_t& pins) const {
        uint64_t& known = pinned_at[history_count];
        if (known == PINS_UNKNOWN) [[unlikely]] {
            if (in_check()) return false;
            known = pinned_pieces(side_to_move);
        }
        pins = known;
        return true;
    }

    // Moves, removals and additions of a piece: its node, the square sets
    // and its piece table row change together. C is the piece's colour.
    template <int C> void slide(int type, int from, int to);
    template <int C> void take_off(int type, int square);
    template <int C> void put_on(int type, int square);
    void put_on(int colour, int type, int square);

    bool castle_path_safe(int from, int to) const;
    template <int C> int see_as(int square) const;
    // The make and unmake of each side: C is the side that plays the move.
    template <int C> bool make_as(const move& m, int moving);
    template <int C, bool ODD> bool make_kind(const move& m, int moving);
    template <int C> bool make_odd(const move& m, int moving);
    template <int C> bool make_light_as(move m, int moving);
    template <int C> undo_record& save_state(const move& m);
    template <int C, bool ODD> void play(move m, int moving, int captured);
    template <int C> bool leaves_pin_line(move m, uint64_t pins) const;
    template <int C> bool king_attacked() const;
    template <int C> bool king_left_attacked(move m, int moving, bool was_in_check) const;
    const undo_record& restore_state();
    template <int C, bool ODD> void take_back(move m, const undo_record& r);
    template <int C> void take_back_odd(const undo_record& r);
};

// Reason why the commands that set positions must refuse this FEN (one line,
// no line feed), or nullptr when the board's tables can hold it.
const char* position_problem(const char* fen);

// Key contributions: rows of 64 entries; row 0 holds the castling rights
// (0..15) and the en passant files (16..23), rows 1..6 the White pieces and
// rows 7..12 the Black pieces by type.
inline uint64_t piece_key(int colour, int type, int square) {
    return key_table[64 * (colour == WHITE ? type : type + 6) + square];
}
inline uint64_t castle_key(int rights) {
    return key_table[rights];
}
inline uint64_t ep_key(int ep_square) {
    return key_table[16 + (ep_square & 7)];
}
