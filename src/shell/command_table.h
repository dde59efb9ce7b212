// The shape every command set shares: a table of words tried in order,
// each matched against the whole line or only against its first letters.
#pragma once

#include <cstddef>
#include <cstring>

enum match_kind { EXACT, PREFIX };

struct command {
    const char* word;
    match_kind match;
    void (*run)(const char* line);
    bool tail = false; // xboard: the engine may move afterwards
};

// The first command of the table that the line matches, or nullptr.
template <size_t N> const command* find_command(const command (&table)[N], const char* line) {
    for (const command& c : table) {
        bool hit = c.match == EXACT ? strcmp(line, c.word) == 0
                                    : strncmp(line, c.word, strlen(c.word)) == 0;
        if (hit) return &c;
    }
    return nullptr;
}
