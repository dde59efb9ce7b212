// Search benchmark: a fixed set of positions searched to a fixed depth, each
// with a fresh table. The total node count is the signature of the search's
// behaviour; nodes per second measure its speed (median of the runs).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "board/key_table.h"
#include "eval/tropism.h"
#include "movegen/clock.h"
#include "search/search.h"
#include "search/tt.h"

namespace {

constexpr int BENCH_DEPTH = 7; // iterations 1..6
constexpr int BENCH_HASH_MB = 16;

constexpr const char* POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "rnbqkb1r/pp1p1ppp/4pn2/2p5/2PP4/5N2/PP2PPPP/RNBQKB1R w KQkq - 0 4",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/ppp2ppp/4pn2/3p2B1/2PP4/2N5/PP2PPPP/R2QKBNR b KQkq - 3 4",
    "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9",
    "r2q1rk1/pp1nbppp/2p1pn2/3p4/2PP1B2/2NBPN2/PP3PPP/R2QK2R w KQ - 2 9",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3BPP2/2NB4/PPPQ2PP/2KR3R w - - 2 13",
    "2rq1rk1/pb2bppp/1pn1pn2/2pp4/3P4/1PN1PN2/PBQ1BPPP/2RR2K1 w - - 4 13",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r3r1k1/pp3pbp/1qp3p1/2B5/2BP2b1/Q1n2N2/P4PPP/3R1K1R b - - 1 18",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
    "r1bbk1nr/pp3p1p/2n5/1N4p1/2Np1B2/8/PPP2PPP/2KR1B1R w kq - 0 13",
    "r1bq1r1k/b1p1npp1/p2p3p/1p6/3PP3/1B2NN2/PP3PPP/R2Q1RK1 w - - 1 16",
    "3r1rk1/p5pp/bpp1pp2/8/q1PP1P2/b3P3/P2NQRPP/1R2B1K1 b - - 6 22",
    "r1q2rk1/2p1bppp/2Pp4/p6b/Q1PNp3/4B3/PP1R1PPP/2K4R w - - 2 18",
    "4k2r/1pb2ppp/1p2p3/1R1p4/3P4/2r1PN2/P4PPP/1R4K1 b - - 3 22",
    "3q2k1/pb3p1p/4pbp1/2r5/PpN2N2/1P2P2P/5PP1/Q2R2K1 b - - 4 26",
    "6k1/6p1/6Pp/ppp5/3pn2P/1P3K2/1PP2P2/8 b - - 3 43",
    "8/8/1p1r1k2/p1pPN1p1/P3KnP1/1P6/8/3R4 b - - 5 54",
    "8/3p4/p1bk3p/Pp6/1Kp1PpPp/2P2P1P/2P5/5B2 b - - 0 1",
    "5k2/7R/4P2p/5K2/p1r2P1p/8/8/8 b - - 0 1",
    "8/8/8/8/4k3/8/3KP3/8 w - - 0 1",
    "8/8/3k4/8/8/8/2K5/3R4 w - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "8/5pk1/6p1/7p/7P/6P1/5PK1/8 w - - 0 1",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 w kq - 6 5",
    "2r3k1/5ppp/8/8/8/8/5PPP/2R3K1 w - - 0 1",
    "rnb1kbnr/pppp1ppp/8/4p3/5PPq/8/PPPPP2P/RNBQKBNR w KQkq - 1 3",
    "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",
};

struct bench_run {
    long long nodes;
    double ms;
};

bench_run run_once(search& s, board& b) {
    bench_run r = {0, 0};
    for (const char* fen : POSITIONS) {
        b.set_position(fen);
        tt_clear();
        s.search_mode = MODE_DEPTH;
        s.max_depth = BENCH_DEPTH;
        s.show_thinking = 0;
        double start = now_ms();
        s.think();
        r.ms += now_ms() - start;
        r.nodes += s.nodes;
    }
    return r;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    init_key_table();
    build_distance_tables();
    tt_allocate(BENCH_HASH_MB);
    auto b = std::make_unique<board>();
    auto ml = std::make_unique<mlist>();
    auto ev = std::make_unique<eval>();
    auto s = std::make_unique<search>();
    s->attach(*b, *ml, *ev);

    std::vector<double> rates;
    long long signature = -1;
    for (int i = 0; i < runs; i++) {
        bench_run r = run_once(*s, *b);
        if (signature >= 0 && r.nodes != signature) {
            printf("node count differs between runs: %lld and %lld\n", signature, r.nodes);
            return 1;
        }
        signature = r.nodes;
        rates.push_back(r.nodes / (r.ms / 1000.0));
    }
    std::sort(rates.begin(), rates.end());
    printf("positions %zu depth %d\n", sizeof POSITIONS / sizeof POSITIONS[0], BENCH_DEPTH);
    printf("Bench: %lld\n", signature);
    printf("nodes/second: median %.0f (min %.0f, max %.0f, %d runs)\n", rates[runs / 2], rates[0],
           rates[runs - 1], runs);
    return 0;
}
