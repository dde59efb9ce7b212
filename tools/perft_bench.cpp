// Leaves per second of the move generator with make and unmake at every
// leaf: the median of several runs over two fixed positions.
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "board/key_table.h"
#include "movegen/perft.h"

namespace {

struct bench_position {
    const char* fen;
    int depth;
    int64_t leaves;
};

constexpr bench_position POSITIONS[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6, 119060324},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5, 193690690},
};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    init_key_table();
    auto ml = std::make_unique<mlist>();
    auto b = std::make_unique<board>();
    int status = 0;
    for (const bench_position& p : POSITIONS) {
        std::vector<double> rates;
        for (int r = 0; r < runs; r++) {
            b->set_position(p.fen);
            for (int64_t& c : perft_counts) c = 0;
            ml->first[0] = 0;
            auto start = std::chrono::steady_clock::now();
            perft_walk(*ml, *b, p.depth, 0);
            double secs = seconds_since(start);
            if (perft_counts[p.depth - 1] != p.leaves) status = 1;
            rates.push_back(double(perft_counts[p.depth - 1]) / secs);
        }
        std::sort(rates.begin(), rates.end());
        printf("%-70s depth %d leaves %" PRId64 " median %.1f M leaves/s (min %.1f, max %.1f)\n",
               p.fen, p.depth, perft_counts[p.depth - 1], rates[runs / 2] / 1e6, rates[0] / 1e6,
               rates[runs - 1] / 1e6);
    }
    if (status) printf("leaf count differs from the reference\n");
    return status;
}
