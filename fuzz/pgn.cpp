// The book builder's PGN reader: any file is read to its end, and what the
// file can upset is checked: no more games broken than replayed, no more
// replayed than read, no record without an accepted game, every record's
// results within its own games, and the same book from a second read.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "board/key_table.h"
#include "book/book_builder.h"
#include "fuzz_support.h"
#include "shell/pgn_reader.h"

constexpr const char* PGN_FILE = "games.pgn";
constexpr int MOVES_DEEP = 30;
constexpr int MIN_ELO = 1000;

namespace {

pgn_summary read_book(const hash& settings, book_builder& builder) {
    FILE* f = fopen(PGN_FILE, "rb");
    FUZZ_CHECK(f != nullptr);
    const pgn_summary s = read_pgn_games(f, settings, builder);
    fclose(f);
    return s;
}

bool same_record(const book_record& a, const book_record& b) {
    return a.key_low == b.key_low && a.move_key == b.move_key && a.games == b.games &&
           a.white_wins == b.white_wins && a.black_wins == b.black_wins && a.draws == b.draws;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_dir();
    init_key_table();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_file(PGN_FILE, data, size);
    hash settings;
    settings.moves_deep = MOVES_DEEP;
    settings.min_elo = MIN_ELO;
    settings.include_draws = size % 2 == 0;
    book_builder first, second;
    const pgn_summary s = read_book(settings, first);
    const pgn_summary again = read_book(settings, second);

    FUZZ_CHECK(0 <= s.broken && s.broken <= s.accepted && s.accepted <= s.games);
    FUZZ_CHECK(s.accepted > 0 || first.records.empty());
    // A game adds at most one to each counter of a record it passes through.
    for (const book_record& r : first.records)
        FUZZ_CHECK(r.games >= 1 && r.white_wins <= r.games && r.black_wins <= r.games &&
                   r.draws <= r.games);

    // Nothing of one read may leak into the next.
    FUZZ_CHECK(again.games == s.games && again.accepted == s.accepted && again.broken == s.broken);
    FUZZ_CHECK(second.records.size() == first.records.size());
    for (size_t i = 0; i < first.records.size(); i++)
        FUZZ_CHECK(same_record(first.records[i], second.records[i]));
    return 0;
}
