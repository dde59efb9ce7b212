// When a search looks at the clock, and how soon it stops once the time is
// up. A stand-in clock notes the node of every look and tells the time the
// test chooses, so no test waits for time to pass.
#include <climits>
#include <vector>

#include "search/search_fixture.h"

namespace {

constexpr int POLL_NODES = 8093;  // between two looks at the input
constexpr int CLOCK_NODES = 1024; // the most between two looks at the clock, timed searches
constexpr int64_t UNWIND_NODES = 4;
constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The nodes since the search started, from the poll's count, which starts
// again after every poll; every poll of a timed search looks at the clock.
// A clock search that may overrun its budget looks twice at one node.
struct stand_in_clock {
    std::vector<int64_t> looks;
    int64_t polled_nodes = 0;
    int last_poll_count = 0;
    // The time it tells: 0 until `late_after` looks, then `late_ms`; or,
    // when `nodes_per_ms` is set, the nodes passed at that rate.
    int late_after = INT_MAX;
    double late_ms = 0;
    int nodes_per_ms = 0;
};

stand_in_clock watch;

double stand_in_now() {
    if (poll_count < watch.last_poll_count) watch.polled_nodes += watch.last_poll_count;
    watch.last_poll_count = poll_count;
    const int64_t node = watch.polled_nodes + poll_count;
    watch.looks.push_back(node);
    if (watch.nodes_per_ms) return double(node) / watch.nodes_per_ms;
    return int(watch.looks.size()) > watch.late_after ? watch.late_ms : 0;
}

// The nodes at which a timed search looks: every CLOCK_NODES nodes, and at
// every poll, from which the count starts again.
std::vector<int64_t> expected_looks(size_t count) {
    std::vector<int64_t> looks = {0};
    int64_t last_poll = 0;
    while (looks.size() < count) {
        const int64_t next = std::min(looks.back() + CLOCK_NODES, last_poll + POLL_NODES);
        if (next == last_poll + POLL_NODES) last_poll = next;
        looks.push_back(next);
    }
    return looks;
}

struct timed_limit {
    const char* name;
    int mode;
    double clock_ms; // time_value: the clock, or the time per move
};

// Each comes to a budget of about 100 ms.
const timed_limit TIMED_LIMITS[] = {
    {"st", MODE_FIXED_TIME, 100},
    {"UCI clock", MODE_UCI_CLOCK, 3000},
    {"xboard level", MODE_CLOCK, 3000}, // one clock for the game
};

} // namespace

class ClockCheckTest : public SearchTest {
  protected:
    // The first look that finds the budget spent. The search then unwinds:
    // once the time is up every node looks again, and the few it still
    // enters (the root's re-search of a window that the stop left failing
    // low) end at that look.
    size_t stopping_look(const char* name) {
        size_t i = 0;
        while (i < watch.looks.size() && !late(i)) i++;
        if (i == watch.looks.size()) {
            ADD_FAILURE() << name << ": no look found the budget spent";
            return i;
        }
        EXPECT_LE(watch.looks.back() - watch.looks[i], UNWIND_NODES) << name;
        return i;
    }

    bool late(size_t look) const {
        if (watch.nodes_per_ms)
            return double(watch.looks[look]) / watch.nodes_per_ms >= s->time_budget;
        return int(look) >= watch.late_after;
    }

    void SetUp() override {
        SearchTest::SetUp();
        watch = stand_in_clock();
        seams.clock_ms = stand_in_now;
        set(START);
    }

    void think_with(const timed_limit& limit) {
        s->search_mode = limit.mode;
        s->time_value = limit.clock_ms;
        s->moves_per_control = 0;
        s->moves_to_go = 0;
        s->increment = 0;
        s->base_time_ms = 0;
        s->think();
    }
};

TEST_F(ClockCheckTest, TimedSearchesLookAtTheClockEvery1024Nodes) {
    constexpr int LOOKS_IN_TIME = 20;
    for (const timed_limit& limit : TIMED_LIMITS) {
        watch = stand_in_clock();
        watch.late_after = LOOKS_IN_TIME;
        watch.late_ms = 1e7;
        think_with(limit);
        EXPECT_EQ(stopping_look(limit.name), size_t(LOOKS_IN_TIME)) << limit.name;
        watch.looks.resize(std::min(watch.looks.size(), size_t(LOOKS_IN_TIME + 1)));
        EXPECT_EQ(watch.looks, expected_looks(LOOKS_IN_TIME + 1)) << limit.name;
    }
}

// At 10 nodes a millisecond the 100 ms are spent at node 1000: the search
// stops at the look that follows, whatever kind of limit it has.
TEST_F(ClockCheckTest, ASearchPastItsLimitStopsAtTheNextLook) {
    for (const timed_limit& limit : TIMED_LIMITS) {
        watch = stand_in_clock();
        watch.nodes_per_ms = 10;
        think_with(limit);
        const size_t i = stopping_look(limit.name);
        ASSERT_LT(i, watch.looks.size()) << limit.name;
        EXPECT_EQ(watch.looks[i], CLOCK_NODES) << limit.name;
    }
}

// A fixed-depth search reads the clock when it starts and never again.
TEST_F(ClockCheckTest, FixedDepthSearchesLookOnlyAtTheStart) {
    s->search_mode = MODE_DEPTH;
    s->max_depth = 7;
    s->think();
    EXPECT_GT(s->nodes, 2 * POLL_NODES);
    EXPECT_EQ(watch.looks, std::vector<int64_t>{0});
}
