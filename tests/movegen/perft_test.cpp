#include <gtest/gtest.h>

#include <memory>

#include "movegen/perft.h"
#include "support/test_data.h"

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
    auto cases = read_perft_cases();
    if (cases.empty()) return; // the reader has said why
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

TEST(Perft, DepthZeroAndMatedSideCountNothing) {
    auto ml = std::make_unique<mlist>();
    auto b = std::make_unique<board>();
    b->set_position("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    testing::internal::CaptureStdout();
    perft(3, *ml, *b);
    std::string out = testing::internal::GetCapturedStdout();
    const std::string expected = "perft(1): 0\nperft(2): 0\nperft(3): 0\n\n";
    EXPECT_EQ(out.substr(0, expected.size()), expected);
    EXPECT_EQ(out.back(), '\n');
    testing::internal::CaptureStdout();
    perft(-2, *ml, *b);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, 1), "\n");
    EXPECT_EQ(out.find("perft("), std::string::npos);
}
