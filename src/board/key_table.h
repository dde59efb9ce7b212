// The 1024 random values behind every position key. Book files store keys
// built from them, so their exact values are part of the book format.
#pragma once

#include <cstdint>

constexpr int KEY_TABLE_SIZE = 1024;

extern uint64_t key_table[KEY_TABLE_SIZE];

void init_key_table();
