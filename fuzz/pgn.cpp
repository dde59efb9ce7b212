// The book builder's PGN reader: any file is read to its end, every game
// counted, and each record it adds names one game or more.
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

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_dir();
    init_key_table();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_file(PGN_FILE, data, size);
    FILE* f = fopen(PGN_FILE, "rb");
    FUZZ_CHECK(f != nullptr);
    hash settings;
    settings.moves_deep = MOVES_DEEP;
    settings.min_elo = MIN_ELO;
    settings.include_draws = size % 2 == 0;
    book_builder builder;
    const pgn_summary s = read_pgn_games(f, settings, builder);
    fclose(f);
    FUZZ_CHECK(s.accepted <= s.games && s.broken >= 0);
    for (const book_record& r : builder.records) FUZZ_CHECK(r.games >= 1);
    return 0;
}
