// The move lists of every ply, in one shared array: ply p owns
// moves[first[p]] .. moves[first[p+1] - 1].
#pragma once

#include "board/board.h"

constexpr int MAX_PLY = 64; // generation reaches ply 62 at most
// With at most 16 pieces a side (the position check refuses more) no
// position has 320 pseudo-legal moves, so every ply's list fits whatever
// the others hold.
constexpr int MAX_PLY_MOVES = 320;
constexpr int MAX_MOVES = MAX_PLY * MAX_PLY_MOVES;

class mlist {
  public:
    move moves[MAX_MOVES];
    int scores[MAX_MOVES];
    int first[MAX_PLY];
    int top;

    mlist();
    virtual ~mlist();

    // Pseudo-legal moves of the side to move; make_move settles legality.
    int generate_moves(const board& b, int ply);
    // Captures and queen promotions only, for the quiescence search.
    int generate_captures(const board& b, int ply);
    int generate_legal_moves(board& b, int ply);
    int count_legal_moves(board& b);
    // Index of the ply-0 entry with these squares and promotion piece, or -1.
    int find_move(int from, int to, int promote, move* out) const;
    // Stable sort of the ply-0 list by descending score.
    void sort_root_moves();

    int count(int ply) const { return first[ply + 1] - first[ply]; }
};
