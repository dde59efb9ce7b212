// The records of a book being built, in the order their pairs were first
// met, and the writing of them as a book file.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "book/book.h"

// A book holds at most this many pairs; later new pairs are dropped.
constexpr uint32_t BOOK_CAPACITY = 16777216;

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
    std::unordered_map<uint64_t, uint32_t> slot_of_pair;
};
