// Reads the games of a PGN file into a book being built: the rating and
// result filters of the book store's settings, then the first moves of each
// accepted game, replayed on a private board.
#pragma once

#include <cstdio>

#include "book/book.h"
#include "book/book_builder.h"

struct pgn_summary {
    int games = 0;            // games found, accepted or not
    int accepted = 0;         // games whose moves were replayed
    int broken = 0;           // games cut short by a move or position that is not legal
    bool read_failed = false; // the file could not be read to its end
};

// Takes both the export layout and the looser import layout: comments,
// variations, annotation glyphs, move numbers glued to their moves, any
// number of blank lines, and games set up from a FEN tag. A move that is not
// legal is reported and ends only its own game.
pgn_summary read_pgn_games(FILE* pgn, const hash& settings, book_builder& out);
