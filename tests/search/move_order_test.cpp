// Ordering scores, killers, the selection step, and the picker handing out
// every move of a node exactly once, the stored move first.
#include <algorithm>
#include <vector>

#include "search/move_order.h"
#include "search/search_fixture.h"
#include "support/test_data.h"

namespace {

constexpr int PLY = 3;

std::vector<uint32_t> sorted(std::vector<uint32_t> v) {
    std::sort(v.begin(), v.end());
    return v;
}

struct order_case {
    const char* fen;
    const char* move;
    int score;
};

// Scores of full-width nodes, with no stored move, line, killers or history.
const order_case ORDER_CASES[] = {
    {"4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", 40800},  // pawn takes queen
    {"4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", 40000},   // undefended pawn
    {"4k3/8/8/3r4/8/8/8/3RK3 w - - 0 1", "d1d5", 40000},   // even trade
    {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", 19900}, // defended pawn: 20000 + see
    {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", 40800},  // quiet promotions
    {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8r", 40400},  //
    {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8b", 40200},  //
    {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8n", 40200},  //
    {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7d8q", 40400},  // promotion taking a rook
    {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7d8n", 40400},  //
    {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 40000},  // en passant
};

} // namespace

TEST_F(SearchTest, OrderingScoresOfCapturesAndPromotions) {
    for (const order_case& c : ORDER_CASES) {
        set(c.fen);
        ml->first[PLY] = 0;
        ml->generate_moves(*b, PLY);
        s->score_moves(PLY, no_move);
        EXPECT_EQ(score_of(PLY, find(c.move)), c.score) << c.fen << " " << c.move;
    }
}

TEST_F(SearchTest, OrderingScoresOfStoredLineAndKillerMoves) {
    set("4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1");
    const move hash = find("d1d2"), line_move = find("d1d5");
    const move killer_a = find("e1e2"), killer_b = find("e1f2");
    s->pv[PLY] = line_move;
    s->killer1[PLY] = killer_a;
    s->killer2[PLY] = killer_b;
    ml->first[PLY] = 0;
    ml->generate_moves(*b, PLY);
    s->score_moves(PLY, hash);
    EXPECT_EQ(score_of(PLY, hash), 50001);
    EXPECT_EQ(score_of(PLY, line_move), 50000);
    EXPECT_EQ(score_of(PLY, killer_a), 30001);
    EXPECT_EQ(score_of(PLY, killer_b), 30000);
}

// Only the first four quiet moves in generation order are scored by
// history; the later ones keep 0 however large their history.
TEST_F(SearchTest, HistoryScoresOnlyTheFirstFourQuietMoves) {
    set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    ml->first[PLY] = 0;
    const int n = ml->generate_moves(*b, PLY);
    ASSERT_GE(n, 20);
    for (int i = 0; i < n; i++) s->history_table[ml->moves[i].from][ml->moves[i].to] = 10 * (i + 1);
    s->score_moves(PLY, no_move);
    for (int i = 0; i < n; i++)
        EXPECT_EQ(ml->scores[i], i < 4 ? 10000 + 10 * (i + 1) : 0) << coordinates(ml->moves[i]);
}

// Quiescence: a victim worth less than what alpha still needs is ordered
// by the exchange instead (here an undefended knight: no loss).
TEST_F(SearchTest, QuiescenceOrderingFollowsTheThreshold) {
    set("4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1");
    ml->first[PLY] = 0;
    ml->generate_captures(*b, PLY);
    const move pxn = find("e4d5");
    s->score_captures(PLY, 100);
    EXPECT_EQ(score_of(PLY, pxn), 40200);
    s->score_captures(PLY, 301);
    EXPECT_EQ(score_of(PLY, pxn), 40000);
}

// Captures that share a square share its exchange, and captures by one piece
// each get the exchange of their own square.
TEST_F(SearchTest, QuiescenceExchangeScoresBelongToTheirSquares) {
    for (const char* fen :
         {"4k3/8/2p1p3/3p4/1N3N2/8/8/4K3 w - - 0 1", "4k3/1p6/2p1p3/3p4/1N1Q1N2/8/8/4K3 w - - 0 1",
          "4k3/8/2n5/P2rP3/1Q1B4/8/8/4K3 b - - 0 1"}) {
        set(fen);
        ml->first[PLY] = 0;
        ml->generate_captures(*b, PLY);
        s->score_captures(PLY, 10000); // no victim is worth that: every capture asks the exchange
        int judged = 0;
        for (int i = ml->first[PLY]; i < ml->first[PLY + 1]; i++) {
            const int loss = b->see(ml->moves[i].to);
            const int expected = loss == 0 ? 40000 : 20000 + loss;
            EXPECT_EQ(ml->scores[i], expected) << fen << " move " << i;
            judged++;
        }
        EXPECT_GE(judged, 4) << fen;
    }
}

TEST_F(SearchTest, RootScoresIgnoreKillersAndHistory) {
    set("4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1");
    const move stored = find("e1f1");
    const move quiet = find("e1e2");
    tt_store(0, 0, 5, b->key, BOUND_LOWER, stored);
    s->killer1[0] = quiet;
    s->history_table[quiet.from][quiet.to] = 999;
    ml->first[0] = 0;
    ml->generate_moves(*b, 0);
    EXPECT_EQ(s->score_root_moves(), ml->first[1]);
    EXPECT_EQ(score_of(0, stored), 50000);
    EXPECT_EQ(score_of(0, find("d1d5")), 40000);
    EXPECT_EQ(score_of(0, quiet), 0);
}

TEST_F(SearchTest, KillerUpdates) {
    const move a = {12, 20, 0, 0}, c = {52, 44, 0, 0};
    s->update_killers(a, PLY);
    EXPECT_EQ(s->killer1[PLY], a);
    EXPECT_EQ(s->killer2[PLY], no_move);
    s->update_killers(a, PLY);
    EXPECT_EQ(s->killer1[PLY], a);
    EXPECT_EQ(s->killer2[PLY], no_move);
    s->update_killers(c, PLY);
    EXPECT_EQ(s->killer1[PLY], c);
    EXPECT_EQ(s->killer2[PLY], a);
    EXPECT_EQ(s->killer1[PLY + 1], no_move);
}

// A move that ends a node inside the window becomes a killer; one that
// fails high does not.
TEST_F(SearchTest, OnlyExactResultsTeachKillersAndHistory) {
    set("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    s->search_node(-MATE, MATE, 1, PLY, false, 0, line);
    ASSERT_NE(line[0], no_move);
    EXPECT_EQ(s->killer1[PLY], line[0]);
    EXPECT_EQ(s->history_table[line[0].from][line[0].to], 1);
    s->reset_search();
    s->search_node(-MATE, -30000, 1, PLY, false, 0, line);
    EXPECT_EQ(s->killer1[PLY], no_move);
}

TEST_F(SearchTest, SelectBestKeepsTheFirstMaximum) {
    const move m0 = {1, 2, 0, 0}, m1 = {3, 4, 0, 0}, m2 = {5, 6, 0, 0};
    ml->first[PLY] = 100;
    set_list(PLY, {{m0, 5}, {m1, 9}, {m2, 9}});
    s->select_best(100, PLY);
    EXPECT_EQ(ml->moves[100], m1);
    EXPECT_EQ(ml->scores[100], 9);
    EXPECT_EQ(ml->moves[101], m0);
    EXPECT_EQ(ml->scores[101], 5);
    s->select_best(101, PLY);
    EXPECT_EQ(ml->moves[101], m2);
    EXPECT_EQ(ml->moves[102], m0);
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
    const std::vector<perft_case> cases = read_perft_cases();
    if (cases.empty()) return; // the reader has said why
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
