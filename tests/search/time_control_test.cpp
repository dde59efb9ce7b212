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
        s->base_time_ms = 0;
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
        s->base_time_ms = 0; // each a new game, its first move
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

namespace {

// A game played against the budget alone: each move spends its budget and
// the trip to the GUI, then earns the increment; a control adds the base.
struct clock_game {
    const char* name;
    double base_ms;
    int increment_ms;
    int moves_per_control; // 0: the whole game on one clock
    double trip_ms;
    double reserve_ms;
};

constexpr int GAME_MOVES = 300;
constexpr double TRIP_MS = 30;

// At 1+0.01 a 30 ms trip costs more than the increment brings, so every
// budget runs that clock dry; the game there has the trip of a fast pipe.
const clock_game CLOCK_GAMES[] = {
    {"10+0.1", 10000, 100, 0, TRIP_MS, 1000},
    {"1+0.01", 1000, 10, 0, 3, 100},
    {"60+0/40", 60000, 0, 40, TRIP_MS, 1000},
    {"5+3", 5000, 3000, 0, TRIP_MS, 500},
};

// The lowest clock after a move, or -1 when a move flagged before its
// increment arrived.
double lowest_clock(search& s, const clock_game& g, bool level) {
    s.base_time_ms = 0; // a new game
    double clock = g.base_ms, lowest = clock;
    for (int n = 1; n <= GAME_MOVES; n++) {
        s.time_value = clock;
        s.increment = g.increment_ms;
        s.moves_per_control = g.moves_per_control;
        if (level) {
            s.allot_level_time(2 * (n - 1));
        } else {
            s.moves_to_go =
                g.moves_per_control ? g.moves_per_control - (n - 1) % g.moves_per_control : 0;
            s.allot_clock_time();
        }
        clock -= s.time_budget + g.trip_ms;
        if (clock < 0) return -1;
        clock += g.increment_ms;
        if (g.moves_per_control && n % g.moves_per_control == 0) clock += g.base_ms;
        lowest = std::min(lowest, clock);
    }
    return lowest;
}

} // namespace

TEST_F(SearchTest, ClockGamesKeepTheReserve) {
    for (const clock_game& g : CLOCK_GAMES) {
        EXPECT_GE(lowest_clock(*s, g, false), g.reserve_ms) << "UCI clock " << g.name;
        EXPECT_GE(lowest_clock(*s, g, true), g.reserve_ms) << "level " << g.name;
    }
}

// Far from the reserve the budget is the formula's.
TEST_F(SearchTest, ReserveLeavesAComfortableClockAlone) {
    s->base_time_ms = 0;
    s->time_value = 10000;
    s->increment = 100;
    s->moves_to_go = 30;
    s->allot_clock_time();
    EXPECT_DOUBLE_EQ(s->time_budget, (10000 + 29 * 100.0) / 30);
    // Near it, a move spends less than the increment.
    s->time_value = 1950;
    s->allot_clock_time();
    EXPECT_DOUBLE_EQ(s->time_budget, 50);
    s->time_value = 1800;
    s->allot_clock_time();
    EXPECT_EQ(s->time_budget, 0);
}
