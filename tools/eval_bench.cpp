// Cost of one full-window evaluation in nanoseconds: the median of five runs
// over a fixed set of positions. Also proves that evaluating allocates
// nothing, by counting every operator new while the runs are timed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "board/key_table.h"
#include "eval/eval.h"
#include "eval/tropism.h"

namespace {

constexpr int RUNS = 5;
constexpr int PASSES_PER_RUN = 20000;
constexpr int FULL_WINDOW = 32767;

// Opening, middlegame and endgame positions with castled and uncastled kings.
constexpr const char* POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2NBPN2/PP3PPP/R1BQK2R w KQ - 0 8",
    "r2q1rk1/1b2bppp/p2ppn2/1p6/3NP3/1BN5/PPP2PPP/R2Q1RK1 w - - 0 12",
    "2r2rk1/pp3ppp/2n1b3/3pP3/3P4/P1N2N2/1P3PPP/R4RK1 b - - 2 18",
    "8/5pk1/6p1/3R4/1r6/6P1/5PK1/8 w - - 0 40",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "4k3/8/3K4/3P4/8/8/8/8 b - - 0 60",
};
constexpr int POSITION_COUNT = int(sizeof POSITIONS / sizeof POSITIONS[0]);

long allocations = 0;

} // namespace

void* operator new(std::size_t size) {
    allocations++;
    if (void* p = std::malloc(size)) return p;
    std::abort();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

int main() {
    init_key_table();
    build_distance_tables();
    std::vector<std::unique_ptr<board>> boards;
    for (const char* fen : POSITIONS) {
        boards.push_back(std::make_unique<board>());
        boards.back()->set_position(fen);
    }
    eval e;
    double ns_per_call[RUNS];
    long checksum = 0;
    const long allocations_before = allocations;
    for (int run = 0; run < RUNS; run++) {
        const auto start = std::chrono::steady_clock::now();
        for (int pass = 0; pass < PASSES_PER_RUN; pass++)
            for (const auto& b : boards) checksum += e.evaluate(*b, -FULL_WINDOW, FULL_WINDOW);
        const std::chrono::duration<double, std::nano> spent =
            std::chrono::steady_clock::now() - start;
        ns_per_call[run] = spent.count() / (double(PASSES_PER_RUN) * POSITION_COUNT);
    }
    const long allocated = allocations - allocations_before;
    std::sort(ns_per_call, ns_per_call + RUNS);
    printf("evaluate: median %.1f ns per call (min %.1f, max %.1f) over %d positions, "
           "checksum %ld, allocations %ld\n",
           ns_per_call[RUNS / 2], ns_per_call[0], ns_per_call[RUNS - 1], POSITION_COUNT, checksum,
           allocated);
    return allocated == 0 ? 0 : 1;
}
