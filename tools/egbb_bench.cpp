// Bitbase probe benchmark: the engine's adapter loads the library from the
// folder given (the engine's default folder without one), then asks it for
// the same position many times over, so that every probe after the first is
// answered from the library's cache. Prints the score and the time per probe.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "board/board.h"
#include "board/key_table.h"
#include "movegen/clock.h"
#include "shell/config.h"
#include "shell/egbb.h"

namespace {

constexpr int DEFAULT_PROBES = 100000;

constexpr const char* POSITIONS[] = {
    "8/8/4K3/8/5k2/8/8/4Q3 w - - 0 1", // K+Q against K
    "8/8/4k3/8/8/2K5/3R4/8 w - - 0 1", // K+R against K
    "1K6/P7/8/8/8/8/2k5/8 w - - 0 1",  // K+P against K
};

} // namespace

int main(int argc, char** argv) {
    const int probes = argc > 1 ? std::max(1, atoi(argv[1])) : DEFAULT_PROBES;
    read_config();
    if (argc > 2) snprintf(egbb_path, sizeof egbb_path, "%s", argv[2]);
    init_key_table();
    if (!egbb_load()) return 1;
    auto b = std::make_unique<board>();
    for (const char* fen : POSITIONS) {
        b->set_position(fen);
        int score = 0;
        const double start = now_ms();
        for (int i = 0; i < probes; i++) egbb_probe(*b, &score);
        const double ms = now_ms() - start;
        printf("%s: score %d, %d probes in %.0f ms, %.3f us per probe\n", fen, score, probes, ms,
               1000.0 * ms / probes);
    }
    return 0;
}
