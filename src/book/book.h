// The opening book: a flat file of 16-byte little-endian records, one per
// (position, move) pair met in the games the book was built from, with the
// results of those games. The search asks it for a move at the root.
#pragma once

#include <cstdint>
#include <vector>

#include "board/board.h"
#include "movegen/mlist.h"

constexpr int BOOK_RECORD_BYTES = 16;

// Counters are 16-bit in the file; book creation stops them at 65535.
struct book_record {
    uint32_t key_low;  // low half of the position key before the move
    uint32_t move_key; // from * 64 + to in bits 20..31, key bits 32..51 below
    uint16_t games;
    uint16_t white_wins;
    uint16_t black_wins;
    uint16_t draws;
};

// The two words that identify a (position, move) pair. Only the squares of
// the move count, so the four promotions of one pawn share a record.
uint32_t book_key_low(uint64_t key);
uint32_t book_move_key(uint64_t key, int from, int to);
// key_low in the high half, move_key in the low half: one number per pair.
inline uint64_t book_pair(const book_record& r) {
    return uint64_t(r.key_low) << 32 | r.move_key;
}

void encode_record(const book_record& r, uint8_t (&bytes)[BOOK_RECORD_BYTES]);
book_record decode_record(const uint8_t* bytes);

// The book store. The book file is read whole when it opens and kept as an
// index sorted by pair, so a probe is a binary search instead of a scan of
// the file; where a pair occurs twice the record that comes first in the file
// is the one kept. The creation settings stay here between "create" commands.
class hash {
  public:
    const char* file_name = nullptr; // the configured book, read at each open
    bool book_loaded = false;
    uint32_t book_size = 0; // whole records in the file
    std::vector<book_record> index;
    bool missing_reported = false;

    int moves_deep = 0;
    int min_elo = 0;
    bool include_draws = true;

    hash();
    virtual ~hash();

    // Reads the configured book unless one is loaded. Prints whether it
    // opened (and how many records it holds); a book that cannot be opened is
    // reported once per run, though every call tries again.
    bool book_open();
    // Forgets the loaded book, so the next open reads the file again.
    void book_close();
    // Fills `query` from the record with the same key_low and move_key.
    bool book_find(book_record& query) const;
    // Chooses among the legal moves of the ply-0 list of `lists` that the
    // book holds for `b`, at random, weighted by the results for the side to
    // move. No book move at all counts a miss in `book_misses`; book moves
    // whose weights are all zero give no move and no miss. Each candidate is
    // made and taken back on `b`, which is left as it was.
    bool book_pick(board& b, const mlist& lists, int& book_misses, move* out);
};
