// How long a search may run, and the poll that stops it.
#include <algorithm>
#include <climits>

#include "search/search.h"

constexpr double LEVEL_SAFETY = 0.95; // share of the clock a level budget may plan with
constexpr double LEVEL_RESERVE_MS = 1;
constexpr int FALLBACK_MOVES_TO_GO = 30;
constexpr int FINAL_SPRINT_MOVES = 5;       // this close to the control, never overrun
constexpr double OVERRUN_MIN_BUDGET = 5000; // budgets above this may run up to twice as long
constexpr double OVERRUN_FACTOR = 2;
// A clock search never plans or runs past this much of the clock: the move
// must still travel to the GUI, and the next moves need time too.
constexpr double CLOCK_MARGIN_MS = 50;
constexpr double CLOCK_SHARE_LIMIT = 0.5;
// The clock a game keeps in hand for the delays no budget sees (the move's
// trip to the GUI, an adapter, a busy machine), which add up over a long
// game: a share of the base time, so that a short game keeps most of its
// clock to play with, and never more than outlasts every such delay.
constexpr double RESERVE_SHARE = 0.1;
constexpr double RESERVE_MAX_MS = 1000;
// A clock search plans to leave this many reserves after the increment, so
// that a move whose trip costs a whole reserve still leaves the rest.
constexpr double RESERVES_KEPT = 2;
// A search with a time limit also looks at the clock between two polls of
// the input: where nodes are slow (a bitbase that waits for the disk, a busy
// processor), the poll's nodes alone can outlast the budget many times over.
constexpr int CLOCK_CHECK_NODES = 1024;

int clock_countdown = INT_MAX;

namespace {

// The most a clock search may use of `clock` milliseconds, overrun included.
double clock_cap(double clock) {
    return std::max(0.0, std::min(clock - CLOCK_MARGIN_MS, clock * CLOCK_SHARE_LIMIT));
}

double clock_reserve(double base_ms) {
    return std::min(RESERVE_MAX_MS, base_ms * RESERVE_SHARE);
}

} // namespace

// While the clock is comfortable this changes nothing. Once it falls toward
// the reserves the move spends less than the increment, and the clock builds
// up again. UCI never sends the base time: the largest clock seen since the
// new game stands for it.
void search::keep_clock_reserve() {
    base_time_ms = int(std::clamp(time_value, double(base_time_ms), double(INT_MAX)));
    const double kept = RESERVES_KEPT * clock_reserve(base_time_ms);
    time_cap = std::min(clock_cap(time_value), std::max(0.0, time_value + increment - kept));
    time_budget = std::min(time_budget, time_cap);
}

// xboard "level": spread what is left over the moves to the next control.
void search::allot_level_time(int plies) {
    double b = std::max(0.0, time_value * LEVEL_SAFETY - LEVEL_RESERVE_MS);
    int m = plies / 2 + 1; // the number of the move about to be played
    if (moves_per_control <= 0) {
        moves_to_go = FALLBACK_MOVES_TO_GO;
    } else {
        moves_to_go = moves_per_control - (m % moves_per_control) + 1;
        if (moves_to_go <= 0) moves_to_go = FALLBACK_MOVES_TO_GO;
    }
    time_budget = std::min(b, (b + (moves_to_go - 1) * double(increment)) / moves_to_go);
    keep_clock_reserve();
}

// UCI clock: moves_to_go was set by the "go" command.
void search::allot_clock_time() {
    if (moves_to_go <= 0) moves_to_go = FALLBACK_MOVES_TO_GO;
    double b = std::max(0.0, time_value);
    time_budget = std::min(b, (b + double(increment) * (moves_to_go - 1)) / moves_to_go);
    keep_clock_reserve();
}

bool search::has_time_limit() const {
    return search_mode != MODE_INFINITE && search_mode != MODE_DEPTH;
}

// Searches without a time limit never need the clock between two polls.
void search::restart_clock_countdown() {
    clock_countdown = has_time_limit() ? CLOCK_CHECK_NODES : INT_MAX;
}

void search::start_clock() {
    search_start_ms = seams.clock_ms();
    restart_clock_countdown();
}

// Waiting input stops every search. Once told to stop, the search never looks at the input
// again: the shell would read and run the next line in the middle of the search.
bool search::time_is_up() {
    if (think_state == 0) return true;
    if (seams.poll_input) seams.poll_input();
    if (think_state == 0) return true;
    return clock_is_up();
}

// Once the time is up the countdown stays spent, so every later node looks
// again and stops too.
bool search::clock_is_up() {
    if (budget_spent()) return true;
    restart_clock_countdown();
    return false;
}

// Clock searches may overrun a large budget while the next control is far away.
bool search::budget_spent() const {
    if (!has_time_limit()) return false;
    double t = seams.clock_ms() - search_start_ms;
    if (search_mode == MODE_FIXED_TIME) return t >= time_budget;
    if (t < time_budget) return false;
    if (t >= time_cap || moves_to_go <= FINAL_SPRINT_MOVES) return true;
    if (seams.clock_ms() - search_start_ms >= OVERRUN_FACTOR * time_budget) return true;
    return time_budget <= OVERRUN_MIN_BUDGET;
}
