#include <gtest/gtest.h>

#include <memory>

#include "movegen/perft.h"
#include "support/epd_counts.h"

namespace {

// The reference counts are checked through the console end to end; here the
// walk also proves the incrementally kept key equal to the key computed from
// scratch at every node, and the position unchanged after every unmake.
constexpr int64_t NODE_BUDGET = 2'000'000;

struct checked_walk {
    mlist ml;
    board b;
    int64_t leaves[PERFT_MAX_DEPTH] = {};

    void walk(int depth, int ply) {
        if (ply >= depth) return;
        ml.generate_moves(b, ply);
        for (int i = ml.first[ply]; i < ml.first[ply + 1]; i++) {
            uint64_t before = b.key;
            int history = b.history_count;
            if (!b.make_move(ml.moves[i])) {
                ASSERT_EQ(b.key, before);
                ASSERT_EQ(b.history_count, history);
                continue;
            }
            ASSERT_EQ(b.key, b.key_from_scratch())
                << square_names[ml.moves[i].from] << square_names[ml.moves[i].to];
            leaves[ply]++;
            walk(depth, ply + 1);
            b.unmake_move();
            ASSERT_EQ(b.key, before);
        }
    }
};

} // namespace

TEST(Perft, ReferenceCountsWithKeyCheckedAtEveryNode) {
    auto cases = read_perft_cases(KORVEL_DATA_DIR "/perft.epd");
    ASSERT_EQ(cases.size(), 65u);
    auto w = std::make_unique<checked_walk>();
    for (const perft_case& c : cases) {
        int depth = 0;
        while (depth < int(c.counts.size()) && c.counts[depth] <= NODE_BUDGET) depth++;
        w->b.set_position(c.fen.c_str());
        for (int64_t& l : w->leaves) l = 0;
        w->walk(depth, 0);
        for (int d = 0; d < depth; d++)
            EXPECT_EQ(w->leaves[d], c.counts[d]) << c.fen << " depth " << d + 1;
    }
}
