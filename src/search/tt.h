// The transposition table: one slot per index, found by the low bits of the
// position key, holding the outcome of an earlier search of that position.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/types.h"

enum tt_bound : int { BOUND_UPPER = 1, BOUND_LOWER = 2, BOUND_EXACT = 4 };

// info: bits 0..3 age, bits 4..7 bound, bits 8..15 remaining depth; an
// info of 0 marks an empty slot.
struct tt_entry {
    uint32_t key_low;
    uint32_t key_high;
    move best;
    int16_t score; // mate scores relative to the node, not the root
    uint16_t info;
};
static_assert(sizeof(tt_entry) == 16, "a slot is 16 bytes");

struct tt_result {
    bool hit;  // the slot holds this position searched at least as deep
    int score; // mate scores relative to the root
    int bound;
    move best; // given whenever the slot holds this position
};

// Number of slots the size rule gives for `megabytes`: the largest power of
// two not above that size; sizes outside 0..4095 are clamped.
size_t tt_size_for(int megabytes);

// Allocates and zeroes the table. When the memory cannot be had it says so
// on one line and settles for the largest smaller table it can get.
void tt_allocate(int megabytes);
void tt_clear();
void tt_next_age();
void tt_store(int ply, int score, int depth, uint64_t key, int bound, move best);
tt_result tt_probe(uint64_t key, int depth, int ply);
move tt_move(uint64_t key);

// Until tt_allocate succeeds the table has no slots: stores do nothing and
// probes miss.
size_t tt_count();
int tt_age();
