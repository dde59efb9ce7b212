// The order of a node's moves by kind, and the picker handing out every move
// of a node exactly once, the stored move first.
#include <algorithm>
#include <vector>

#include "search/move_order.h"
#include "search/search_fixture.h"
#include "support/epd_counts.h"

namespace {

constexpr int PLY = 3;

std::vector<uint32_t> sorted(std::vector<uint32_t> v) {
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

// Stored move, then the line's move, a winning capture, killers, and a
// capture that loses material behind them; quiet moves score 0.
TEST_F(SearchTest, OrderingPlacesEachKindOfMove) {
    set("4k3/8/2p5/3p3n/8/8/8/3QK3 w - - 0 1");
    const move hash = find("d1d2"), line_move = find("d1a4"), qxn = find("d1h5");
    const move qxp = find("d1d5"), killer_a = find("e1e2"), killer_b = find("e1f2");
    s->pv[PLY] = line_move;
    s->killer1[PLY] = killer_a;
    s->killer2[PLY] = killer_b;
    ml->first[PLY] = 0;
    ml->generate_moves(*b, PLY);
    s->score_moves(PLY, hash);
    EXPECT_GT(score_of(PLY, hash), score_of(PLY, line_move));
    EXPECT_GT(score_of(PLY, line_move), score_of(PLY, qxn));
    EXPECT_GT(score_of(PLY, qxn), score_of(PLY, killer_a));
    EXPECT_GT(score_of(PLY, killer_a), score_of(PLY, killer_b));
    EXPECT_GT(score_of(PLY, killer_b), score_of(PLY, qxp)) << "the queen is lost for a pawn";
    EXPECT_GT(score_of(PLY, qxp), 0);
    EXPECT_EQ(score_of(PLY, find("d1c1")), 0);

    // Promotions, quiet or taking, and en passant are ordered with the captures.
    set("3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1");
    ml->generate_moves(*b, PLY);
    s->score_moves(PLY, no_move);
    EXPECT_GT(score_of(PLY, find("e7e8q")), score_of(PLY, find("e7e8n")));
    EXPECT_GT(score_of(PLY, find("e7d8n")), score_of(PLY, killer_a));
    set("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    ml->generate_moves(*b, PLY);
    s->score_moves(PLY, no_move);
    EXPECT_GT(score_of(PLY, find("e5d6")), score_of(PLY, killer_a));
}

class PickerTest : public SearchTest {
  protected:
    // Every move the picker hands out at the ply, packed.
    std::vector<uint32_t> picked(int ply, bool in_check) {
        std::vector<uint32_t> out;
        move_picker p;
        s->pick_init(p, ply, in_check);
        while (s->pick_next(p)) out.push_back(p.current.packed());
        return out;
    }

    std::vector<uint32_t> generated(int ply, bool legal_only) {
        ml->first[ply] = SCRATCH_FIRST;
        if (legal_only)
            ml->generate_legal_moves(*b, ply);
        else
            ml->generate_moves(*b, ply);
        std::vector<uint32_t> out;
        for (int i = ml->first[ply]; i < ml->first[ply + 1]; i++)
            out.push_back(ml->moves[i].packed());
        return out;
    }

    // Out of check the picker hands out the generated moves; in check the
    // legal ones. The stored move, when there is one, comes first and once.
    void check_position(const std::string& fen, move hash) {
        set(fen.c_str());
        const bool in_check = b->in_check();
        const std::vector<uint32_t> expected = generated(SCRATCH_PLY, in_check);
        tt_clear();
        if (hash != no_move) tt_store(PLY, 0, 1, b->key, BOUND_LOWER, hash);
        ml->first[PLY] = 40;
        const std::vector<uint32_t> got = picked(PLY, in_check);
        EXPECT_EQ(sorted(got), sorted(expected)) << fen;
        if (hash != no_move && !got.empty()) {
            EXPECT_EQ(got[0], hash.packed()) << fen;
        }
    }
};

TEST_F(PickerTest, HandsOutEveryMoveOnceWithAndWithoutAStoredMove) {
    const std::vector<perft_case> cases = read_perft_cases(KORVEL_DATA_DIR "/perft.epd");
    ASSERT_GE(cases.size(), 20u);
    int checked = 0;
    for (const perft_case& c : cases) {
        set(c.fen.c_str());
        const std::vector<uint32_t> all = generated(SCRATCH_PLY, true);
        check_position(c.fen, no_move);
        // The first, a middle and the last generated move as the stored one.
        const size_t picks[] = {0, all.size() / 2, all.size() - 1};
        for (size_t k = 0; k < 3 && !all.empty(); k++) {
            const uint32_t packed = all[picks[k]];
            const move hash = {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16),
                               uint8_t(packed >> 24)};
            check_position(c.fen, hash);
        }
        checked++;
    }
    EXPECT_EQ(checked, int(cases.size()));
}

// A stored move that is not playable here (a slot shared with another
// position) is skipped, and nothing else is lost.
TEST_F(PickerTest, AnUnplayableStoredMoveIsSkipped) {
    set("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    const std::vector<uint32_t> expected = generated(SCRATCH_PLY, false);
    tt_store(PLY, 0, 1, b->key, BOUND_LOWER, move{12, 20, 0, 0});
    ml->first[PLY] = 40;
    EXPECT_EQ(sorted(picked(PLY, false)), sorted(expected));
}
