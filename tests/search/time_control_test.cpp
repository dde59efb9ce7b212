// Time budgets and the poll's answers. The elapsed time is set by moving
// the search's start back, far from every boundary, so no test waits.
#include "movegen/clock.h"
#include "search/search_fixture.h"

namespace {

struct level_case {
    double clock_ms;
    int moves_per_control;
    int increment_ms;
    int plies;
    int moves_to_go;
    double budget;
};

const level_case LEVEL_CASES[] = {
    {60000, 40, 0, 0, 40, 56999.0 / 40},  // move 1
    {60000, 40, 0, 76, 2, 56999.0 / 2},   // move 39
    {60000, 40, 0, 78, 41, 56999.0 / 41}, // move 40
    {60000, 40, 0, 80, 40, 56999.0 / 40}, // move 41
    {60000, 0, 0, 10, 30, 56999.0 / 30},  // one clock for the game
    {60000, -3, 0, 10, 30, 56999.0 / 30},
    {10000, 40, 2000, 0, 40, (9499 + 39 * 2000.0) / 40},
    {1000, 40, 5000, 0, 40, 500}, // never more than half the clock, whatever the increment
    {-500, 40, 0, 0, 40, 0},      // a negative clock counts as nothing
    {0.5, 40, 0, 0, 40, 0},
};

struct clock_case {
    double clock_ms;
    int increment_ms;
    int moves_to_go;
    int moves_to_go_after;
    double budget;
};

// The formula's budget, capped at half the clock and at the clock minus 50 ms.
const clock_case CLOCK_CASES[] = {
    {10000, 1000, 30, 30, 1300}, {1000, 5000, 30, 30, 500}, {10000, 0, 1, 1, 5000},
    {-200, 100, 30, 30, 0},      {9000, 0, 0, 30, 300}, // no moves to go given
    {50, 100, 30, 30, 0},        {80, 0, 1, 1, 30},
};

} // namespace

TEST_F(SearchTest, LevelBudgets) {
    for (const level_case& c : LEVEL_CASES) {
        s->time_value = c.clock_ms;
        s->moves_per_control = c.moves_per_control;
        s->increment = c.increment_ms;
        s->allot_level_time(c.plies);
        EXPECT_EQ(s->moves_to_go, c.moves_to_go) << c.plies << " " << c.moves_per_control;
        EXPECT_DOUBLE_EQ(s->time_budget, c.budget) << c.clock_ms << " " << c.plies;
    }
}

TEST_F(SearchTest, ClockBudgets) {
    for (const clock_case& c : CLOCK_CASES) {
        s->time_value = c.clock_ms;
        s->increment = c.increment_ms;
        s->moves_to_go = c.moves_to_go;
        s->allot_clock_time();
        EXPECT_EQ(s->moves_to_go, c.moves_to_go_after);
        EXPECT_NEAR(s->time_budget, c.budget, 1e-9) << c.clock_ms << " " << c.increment_ms;
    }
}

namespace {

struct poll_case {
    int mode;
    double budget;
    int moves_to_go;
    double elapsed;
    bool stop;
};

const poll_case POLL_CASES[] = {
    {MODE_DEPTH, 0, 30, 100000, false},
    {MODE_INFINITE, 0, 30, 100000, false},
    {MODE_FIXED_TIME, 1000, 30, 500, false},
    {MODE_FIXED_TIME, 1000, 30, 1000, true},
    {MODE_FIXED_TIME, 0, 30, 0, true},
    // A large budget far from the control may run to twice its length.
    {MODE_CLOCK, 8000, 20, 4000, false},
    {MODE_CLOCK, 8000, 20, 8000, false},
    {MODE_CLOCK, 8000, 20, 15000, false},
    {MODE_CLOCK, 8000, 20, 16000, true},
    {MODE_UCI_CLOCK, 8000, 20, 12000, false},
    {MODE_UCI_CLOCK, 8000, 20, 16000, true},
    // Near the control, or with a small budget, the budget is the limit.
    {MODE_CLOCK, 8000, 5, 8000, true},
    {MODE_CLOCK, 4000, 20, 4000, true},
    {MODE_CLOCK, 5000, 20, 5000, true},
    {MODE_UCI_CLOCK, 4000, 20, 2000, false},
};

// The overrun stops at the clock's cap.
const poll_case CAPPED_POLL_CASES[] = {
    {MODE_CLOCK, 8000, 20, 11999, false},
    {MODE_CLOCK, 8000, 20, 12000, true},
    {MODE_UCI_CLOCK, 8000, 20, 12000, true},
};
constexpr double CAP_MS = 12000;

bool input_arrived = false;

void fake_input() {
    if (input_arrived) think_state = 0;
}

} // namespace

void expect_poll(search& srch, const poll_case& c, double cap) {
    srch.search_mode = c.mode;
    srch.time_budget = c.budget;
    srch.time_cap = cap;
    srch.moves_to_go = c.moves_to_go;
    think_state = 1;
    search_start_ms = now_ms() - c.elapsed;
    EXPECT_EQ(srch.time_is_up(), c.stop)
        << "mode " << c.mode << " budget " << c.budget << " elapsed " << c.elapsed;
}

TEST_F(SearchTest, PollAnswersByModeAndElapsedTime) {
    for (const poll_case& c : POLL_CASES) expect_poll(*s, c, 1e9);
    for (const poll_case& c : CAPPED_POLL_CASES) expect_poll(*s, c, CAP_MS);
}

// Waiting input stops every kind of search at the next poll.
TEST_F(SearchTest, InputStopsEverySearch) {
    seams.poll_input = fake_input;
    for (int mode : {MODE_DEPTH, MODE_FIXED_TIME, MODE_CLOCK, MODE_INFINITE, MODE_UCI_CLOCK}) {
        s->search_mode = mode;
        s->time_budget = 1e9;
        s->moves_to_go = 30;
        search_start_ms = now_ms();
        think_state = 1;
        input_arrived = false;
        EXPECT_FALSE(s->time_is_up()) << mode;
        input_arrived = true;
        EXPECT_TRUE(s->time_is_up()) << mode;
    }
    input_arrived = false;
}
