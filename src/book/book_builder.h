// The records of a book being built, in the order their pairs were first
// met, and the writing of them as a book file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "book/book.h"

// A book holds at most this many pairs; later new pairs are dropped.
constexpr uint32_t BOOK_CAPACITY = 16777216;
// A power of two; the index doubles from there.
constexpr size_t FIRST_INDEX_SLOTS = 65536;

class book_builder {
  public:
    std::vector<book_record> records;

    // Adds the game's results to the record of the pair, or appends a new
    // record for a pair not met before (while there is room).
    void add_book_record(const book_record& r);
    // Replaces the file at the path with the records; returns how many were
    // written, or 0 after printing why the file could not be written (and
    // removing what was). The messages name the book the user asked for,
    // which the file becomes once it is whole.
    int write_book(const char* path, const char* book_name) const;

  private:
    // The records by pair, open addressing with linear probing: each slot
    // holds a record's position plus one, 0 when empty. Kept at most half
    // full, so a probe usually touches one slot; a flat table of positions
    // costs one cache miss where a node-based map cost several.
    std::vector<uint32_t> slot_of_pair = std::vector<uint32_t>(FIRST_INDEX_SLOTS);

    uint32_t& index_slot(uint64_t pair);
    void grow_index();
};
