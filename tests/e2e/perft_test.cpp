// Every position of the shared perft file, counted by the console "perft"
// command of the real binary, must give the reference totals; the position
// shown before and after each run must be the same.
#include <gtest/gtest.h>

#include <cstdlib>

#include "e2e/engine_process.h"
#include "support/test_data.h"

namespace {

constexpr int CONSOLE_MAX_DEPTH = 6;
constexpr int DIAGRAM_LINES = 10;
constexpr int PERFT_TIMEOUT_MS = 900000;

// Slow builds (sanitizers) may cap the leaves counted per position.
int64_t leaf_limit() {
    const char* limit = getenv("KORVEL_PERFT_LEAF_LIMIT");
    return limit ? atoll(limit) : INT64_MAX;
}

} // namespace

TEST(PerftFile, ConsoleCountsMatchTheReference) {
    auto cases = read_perft_cases();
    if (cases.empty()) return; // the reader has said why
    engine_process e;
    e.read_until("EgbbProbe");
    int positions_run = 0;
    for (const perft_case& c : cases) {
        int depth = 0;
        while (depth < CONSOLE_MAX_DEPTH && depth < int(c.counts.size()) &&
               c.counts[depth] <= leaf_limit())
            depth++;
        e.send("sb " + c.fen);
        std::vector<std::string> before;
        for (int i = 0; i < DIAGRAM_LINES; i++) before.push_back(e.read_until("")[0]);
        e.send("perft " + std::to_string(depth));
        for (int d = 1; d <= depth; d++) {
            std::string line = e.read_until("perft(", PERFT_TIMEOUT_MS).back();
            EXPECT_EQ(line, "perft(" + std::to_string(d) + "): " + std::to_string(c.counts[d - 1]))
                << c.fen;
        }
        EXPECT_EQ(e.read_until("", PERFT_TIMEOUT_MS).back(), "");
        EXPECT_NE(e.read_until("", PERFT_TIMEOUT_MS).back().find(" ms"), std::string::npos);
        e.send("display");
        std::vector<std::string> after;
        for (int i = 0; i < DIAGRAM_LINES; i++) after.push_back(e.read_until("")[0]);
        EXPECT_EQ(before, after) << c.fen;
        positions_run++;
    }
    EXPECT_EQ(positions_run, 65);
}
