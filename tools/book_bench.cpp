// Book speed: seconds to open a large book file and microseconds per probe,
// and, given a PGN file, games read, records written and seconds to build.
//   book_bench [records] [pgn file]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "board/key_table.h"
#include "book/book.h"
#include "book/book_builder.h"
#include "chess.h"
#include "shell/pgn_reader.h"

constexpr uint32_t DEFAULT_RECORDS = 10000000;
constexpr int PROBES = 1000000;
constexpr int PICKS = 100000;
constexpr int ALL_MOVES = 100000;
constexpr int OPENING_MOVES = 10;
// The book a build from a PGN file writes, removed again.
constexpr const char* BUILT_BOOK = "/tmp/korvel-book-bench-build.bin";

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

uint64_t next_random(uint64_t& s) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
}

// Random pairs; every tenth repeats an earlier one, as a book joined from two
// files would.
void write_random_book(const char* name, uint32_t count) {
    FILE* f = fopen(name, "wb");
    if (!f) exit(1);
    uint64_t s = 0x9E3779B97F4A7C15ULL;
    std::vector<uint64_t> seen;
    for (uint32_t i = 0; i < count; i++) {
        uint64_t pair = next_random(s);
        if (i % 10 == 9) pair = seen[next_random(s) % seen.size()];
        if (i % 1000 == 0) seen.push_back(pair);
        book_record r = {uint32_t(pair >> 32), uint32_t(pair), 1, 1, 0, 0};
        uint8_t bytes[BOOK_RECORD_BYTES];
        encode_record(r, bytes);
        fwrite(bytes, BOOK_RECORD_BYTES, 1, f);
    }
    fclose(f);
}

void bench_probes(uint32_t count) {
    const std::string name = "/tmp/korvel-book-bench.bin";
    write_random_book(name.c_str(), count);
    hash book;
    book.file_name = name.c_str();
    auto start = std::chrono::steady_clock::now();
    book.book_open();
    const double open_s = seconds_since(start);
    printf("open: %u records in %.2f s (%.3f s per million)\n", count, open_s,
           open_s * 1e6 / count);

    uint64_t s = 0x9E3779B97F4A7C15ULL;
    int hits = 0;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < PROBES; i++) {
        // Every other probe asks for a pair the file holds.
        const uint64_t pair = next_random(s) ^ (i % 2 ? 1 : 0);
        book_record q = {uint32_t(pair >> 32), uint32_t(pair), 0, 0, 0, 0};
        hits += book.book_find(q);
    }
    printf("probe: %.3f us each (%d of %d found)\n", seconds_since(start) * 1e6 / PROBES, hits,
           PROBES);

    // A board and a move store are too large for the stack.
    auto b = std::make_unique<board>();
    auto lists = std::make_unique<mlist>();
    b->set_position(START_FEN);
    lists->generate_legal_moves(*b, 0);
    int misses = 0;
    move m;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < PICKS; i++) book.book_pick(*b, *lists, misses, &m);
    printf("pick at the start position (20 probes): %.3f us each\n",
           seconds_since(start) * 1e6 / PICKS);
    remove(name.c_str());
}

void bench_build(const char* pgn_name, int depth) {
    FILE* pgn = fopen(pgn_name, "r");
    if (!pgn) {
        printf("cannot open file: %s\n", pgn_name);
        return;
    }
    hash settings;
    settings.moves_deep = depth;
    settings.min_elo = 1000;
    book_builder builder;
    auto start = std::chrono::steady_clock::now();
    // The spinner and messages go to stdout; the summary goes to stderr.
    pgn_summary summary = read_pgn_games(pgn, settings, builder);
    const int written = builder.write_book(BUILT_BOOK, BUILT_BOOK);
    fprintf(stderr,
            "build, depth %d: %d games read, %d accepted, %d cut short, %d records written, "
            "%.2f s\n",
            depth, summary.games, summary.accepted, summary.broken, written, seconds_since(start));
    fclose(pgn);
    remove(BUILT_BOOK);
}

} // namespace

int main(int argc, char** argv) {
    init_key_table();
    const uint32_t count = argc > 1 ? uint32_t(strtoul(argv[1], nullptr, 10)) : DEFAULT_RECORDS;
    if (count > 0) bench_probes(count);
    if (argc > 2) {
        bench_build(argv[2], OPENING_MOVES);
        bench_build(argv[2], ALL_MOVES);
    }
}
