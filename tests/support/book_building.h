// Books built in memory from PGN text, and the (position, move) pairs that
// tests compare them by, for the builder's tests and the PGN reader's alike.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "book/book.h"
#include "book/book_builder.h"
#include "chess.h"
#include "shell/move_text.h"
#include "shell/pgn_reader.h"

struct built {
    pgn_summary summary;
    std::vector<book_record> records;
    std::string output;
};

inline hash settings_of(int deep, int min_elo = 1000, bool draws = true) {
    hash h;
    h.moves_deep = deep;
    h.min_elo = min_elo;
    h.include_draws = draws;
    return h;
}

inline built build_from(FILE* pgn, const hash& settings) {
    built b;
    book_builder builder;
    testing::internal::CaptureStdout();
    b.summary = read_pgn_games(pgn, settings, builder);
    b.output = testing::internal::GetCapturedStdout();
    b.records = builder.records;
    return b;
}

inline built build_text(const std::string& text, const hash& settings = settings_of(20)) {
    FILE* f = tmpfile();
    fwrite(text.data(), 1, text.size(), f);
    rewind(f);
    built b = build_from(f, settings);
    fclose(f);
    return b;
}

// The pairs of the moves played one after another from the position.
inline std::vector<uint64_t> pairs_of(const std::vector<const char*>& moves,
                                      const char* fen = START_FEN) {
    static board b;
    b.set_position(fen);
    std::vector<uint64_t> pairs;
    for (const char* text : moves) {
        move m;
        parse_san(b, text, &m);
        pairs.push_back(uint64_t(book_key_low(b.key)) << 32 | book_move_key(b.key, m.from, m.to));
        EXPECT_TRUE(b.make_move(m)) << text;
    }
    return pairs;
}

inline std::vector<uint64_t> pairs_in(const built& b) {
    std::vector<uint64_t> pairs;
    for (const book_record& r : b.records) pairs.push_back(book_pair(r));
    return pairs;
}
