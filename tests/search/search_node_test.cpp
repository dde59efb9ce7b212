// The full-width and quiescence searches on positions built to reach one
// rule each: terminal scores, draws, mate-distance bounds, the null move and
// the table's cut-offs.
#include "search/search_fixture.h"

namespace {

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
// Black to move is mated on the back rank.
constexpr const char* BACK_RANK_MATE = "R5k1/5ppp/8/8/8/8/8/4K3 b - - 0 1";
constexpr const char* STALEMATE = "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1";
// White mates with Rh8; after a pass Black's only move Kb8 meets the same mate.
constexpr const char* ROOK_MATES = "k7/8/1K6/8/8/8/8/7R w - - 0 1";
constexpr const char* ROOK_MATES_AFTER_KB8 = "1k6/8/1K6/8/8/8/8/7R w - - 0 1";
constexpr const char* MIDDLEGAME =
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3";

} // namespace

TEST_F(SearchTest, MatedAndStalematedSidesScoreByPly) {
    set(BACK_RANK_MATE);
    EXPECT_EQ(s->search_node(-MATE, MATE, 1, 3, true, 0, line), 3 - MATE);
    EXPECT_EQ(s->search_node(-100, -99, 4, 3, true, 1, line), 3 - MATE);
    EXPECT_EQ(line[0], no_move);
    set(STALEMATE);
    EXPECT_EQ(s->search_node(-MATE, MATE, 1, 3, false, 0, line), 0);
    EXPECT_EQ(s->search_node(-MATE, MATE, 3, 7, false, 0, line), 0);
}

// The position's set-up ignores the half-move clock, so it is set by hand.
TEST_F(SearchTest, FiftyMovesDrawEvenWhenMated) {
    set(BACK_RANK_MATE);
    b->fifty_count = 100;
    EXPECT_EQ(s->search_node(-MATE, MATE, 1, 3, true, 0, line), 0);
    b->fifty_count = 99;
    EXPECT_EQ(s->search_node(-MATE, MATE, 1, 3, true, 0, line), 3 - MATE);
}

// The mate is found at depth 1 only because the check extends the line.
TEST_F(SearchTest, MateInOneByCheckIsSeenAtDepthOne) {
    set(ROOK_MATES);
    EXPECT_EQ(s->search_node(-MATE, MATE, 1, 1, false, 0, line), 32765);
    EXPECT_EQ(coordinates(line[0]), "h1h8");
    EXPECT_EQ(line[1], no_move);
    EXPECT_EQ(s->search_node(-100, -99, 1, 1, false, 1, line), 32765);
}

TEST_F(SearchTest, RepetitionCounting) {
    set(START);
    EXPECT_TRUE(play({"g1f3", "g8f6", "f3g1"}));
    EXPECT_EQ(s->repetition_count(), 0);
    EXPECT_TRUE(play({"f6g8"}));
    EXPECT_EQ(s->repetition_count(), 1);
    EXPECT_TRUE(play({"g1f3", "g8f6", "f3g1", "f6g8"}));
    EXPECT_EQ(s->repetition_count(), 2);
    // A pawn move starts the count again.
    EXPECT_TRUE(play({"e2e3"}));
    EXPECT_EQ(s->repetition_count(), 0);
    EXPECT_TRUE(play({"g8f6", "g1f3", "f6g8"}));
    EXPECT_EQ(s->repetition_count(), 0);
    EXPECT_TRUE(play({"f3g1"}));
    EXPECT_EQ(s->repetition_count(), 1);
}

// A repeated position is a draw before the table or the moves are consulted.
TEST_F(SearchTest, RepetitionDrawsBeforeTheTable) {
    set(START);
    EXPECT_TRUE(play({"g1f3", "g8f6", "f3g1", "f6g8"}));
    tt_store(1, 500, 20, b->key, BOUND_EXACT, no_move);
    EXPECT_EQ(s->search_node(-100, -99, 3, 1, false, 1, line), 0);
    EXPECT_EQ(s->search_node(-MATE, MATE, 3, 1, false, 0, line), 0);
    EXPECT_EQ(s->nodes, 0);
}

TEST_F(SearchTest, MateDistancePruningBounds) {
    set(MIDDLEGAME);
    // No mate can be nearer than the bound: the node is searched.
    EXPECT_LE(s->search_node(32000, MATE, 2, 10, false, 0, line), 32000);
    EXPECT_GT(s->nodes, 0);
    s->nodes = 0;
    EXPECT_EQ(s->search_node(32760, MATE, 2, 10, false, 0, line), 32760);
    EXPECT_EQ(s->search_node(-MATE, -32760, 2, 10, false, 0, line), -32757);
    EXPECT_EQ(s->nodes, 0);
}

namespace {

struct null_case {
    const char* fen;
    int depth;
    int non_pv;
    bool in_check;
    bool passes; // the null move is tried, and its fail high ends the node
};

// White is far ahead, and after a pass Black has no capture: a tried null
// move fails high through the quiescence search without making a move.
constexpr const char* ROOK_AHEAD = "4k3/8/8/8/8/8/PPP5/R3K3 w - - 0 1";
constexpr const char* PAWNS_AHEAD = "4k3/8/8/8/8/8/PPP5/4K3 w - - 0 1";
constexpr const char* QUEEN_AHEAD = "4k3/8/8/8/8/8/PPP5/3QK3 w - - 0 1";

const null_case NULL_CASES[] = {
    {ROOK_AHEAD, 3, 1, false, true},   {QUEEN_AHEAD, 3, 1, false, true},
    {PAWNS_AHEAD, 3, 1, false, false}, {ROOK_AHEAD, 2, 1, false, false},
    {ROOK_AHEAD, 3, 0, false, false},  {ROOK_AHEAD, 3, 1, true, false},
};

} // namespace

TEST_F(SearchTest, NullMoveNeedsDepthANullWindowNoCheckAndAHeavyPiece) {
    for (const null_case& c : NULL_CASES) {
        set(c.fen);
        tt_clear();
        s->nodes = 0;
        const int v = s->search_node(-1000, -999, c.depth, 2, c.in_check, c.non_pv, line);
        if (c.passes) {
            EXPECT_EQ(v, -999) << c.fen;
            EXPECT_EQ(s->nodes, 0) << c.fen;
            EXPECT_EQ(tt_move(b->key), no_move) << "a null-move cut stores nothing";
        } else {
            EXPECT_GT(s->nodes, 0) << c.fen << " depth " << c.depth;
        }
    }
}

// A mate found behind the pass is not trusted as a mate. The stored move
// makes Rh8 the first reply to Kb8, so the null-window search below the
// pass fails high with the mate rather than with the first quiet move.
TEST_F(SearchTest, NullMoveResultIsCappedAndNotTriedNearMateBounds) {
    set(ROOK_MATES_AFTER_KB8);
    const uint64_t after_kb8 = b->key;
    const move rh8 = find("h1h8");
    set(ROOK_MATES);
    tt_store(3, 0, 0, after_kb8, BOUND_UPPER, rh8);
    EXPECT_EQ(s->search_node(99, 100, 6, 2, false, 1, line), 32511);
    // Without the null move the mate itself fails high.
    tt_clear();
    EXPECT_GT(s->search_node(32510, 32511, 6, 2, false, 1, line), 32511);
}

namespace {

struct table_case {
    int bound;
    int stored_score;
    int stored_depth;
    bool cuts; // in a null-window node searched at depth 3 with window (99, 100)
};

const table_case TABLE_CASES[] = {
    {BOUND_EXACT, 77, 3, true},  {BOUND_EXACT, 77, 2, false},  {BOUND_LOWER, 500, 5, true},
    {BOUND_LOWER, 100, 3, true}, {BOUND_LOWER, 99, 3, false},  {BOUND_UPPER, -500, 3, true},
    {BOUND_UPPER, 99, 3, true},  {BOUND_UPPER, 100, 3, false},
};

} // namespace

TEST_F(SearchTest, TableCutsOffOnlyOffThePrincipalLine) {
    set(START);
    for (const table_case& c : TABLE_CASES) {
        tt_clear();
        tt_store(1, c.stored_score, c.stored_depth, b->key, c.bound, no_move);
        s->nodes = 0;
        const int v = s->search_node(99, 100, 3, 1, false, 1, line);
        if (c.cuts) {
            EXPECT_EQ(v, c.stored_score) << c.bound << " " << c.stored_score;
            EXPECT_EQ(s->nodes, 0);
        } else {
            EXPECT_GT(s->nodes, 0) << c.bound << " " << c.stored_score;
        }
        // On the principal line the same entry never ends the node.
        tt_clear();
        tt_store(1, c.stored_score, c.stored_depth, b->key, c.bound, no_move);
        s->nodes = 0;
        s->search_node(99, 100, 3, 1, false, 0, line);
        EXPECT_GT(s->nodes, 0) << c.bound << " " << c.stored_score;
    }
}

TEST_F(SearchTest, QuiescenceStandsPatInAQuietPosition) {
    for (const char* fen :
         {"4k3/8/8/8/8/8/PPP5/R3K3 w - - 0 1", "4k3/pp6/8/8/8/8/8/4K3 w - - 0 1"}) {
        set(fen);
        const int e = ev->evaluate(*b, -MATE, MATE);
        const int windows[][2] = {{e - 100, e + 100}, {e + 10, e + 100}, {e - 100, e - 10}};
        for (const auto& w : windows) {
            const int s_pat = ev->evaluate(*b, w[0], w[1]);
            const int expected = s_pat >= w[1] ? s_pat : std::max(w[0], s_pat);
            EXPECT_EQ(s->quiesce(w[0], w[1], 1), expected) << fen << " " << w[0] << " " << w[1];
        }
        EXPECT_EQ(s->nodes, 0);
    }
}

// Stand pat does not stop a capture that gains more than alpha needs.
TEST_F(SearchTest, QuiescenceTakesAHangingQueen) {
    set("4k3/8/8/3q4/8/8/8/3RK3 w - - 0 1");
    const int before = ev->evaluate(*b, -MATE, MATE);
    EXPECT_GT(s->quiesce(-MATE, MATE, 1), before + 300);
    EXPECT_GT(s->nodes, 0);
}
