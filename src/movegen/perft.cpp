#include "movegen/perft.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

int64_t perft_counts[PERFT_MAX_DEPTH];

namespace {

int64_t wall_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

// Every move of the last ply is made as well: the make is the legality test.
void perft_walk(mlist& ml, board& b, int depth, int ply) {
    if (ply >= depth) return;
    ml.generate_moves(b, ply);
    for (int i = ml.first[ply]; i < ml.first[ply + 1]; i++) {
        if (!b.make_move(ml.moves[i])) continue;
        perft_counts[ply]++;
        if (ply + 1 < depth) perft_walk(ml, b, depth, ply + 1);
        b.unmake_move();
    }
}

void perft(int depth, mlist& ml, board& b) {
    if (depth > PERFT_MAX_DEPTH) depth = PERFT_MAX_DEPTH;
    if (depth < 0) depth = 0;
    for (int64_t& c : perft_counts) c = 0;
    ml.first[0] = 0;
    ml.top = 0;
    int64_t start = wall_ms();
    perft_walk(ml, b, depth, 0);
    for (int i = 0; i < depth; i++) printf("perft(%d): %" PRId64 "\n", i + 1, perft_counts[i]);
    printf("\n%d ms\n", int(wall_ms() - start));
}
