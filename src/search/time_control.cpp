// How long a search may run, and the poll that stops it.
#include <algorithm>

#include "movegen/clock.h"
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

namespace {

// The most a clock search may use of `clock` milliseconds, overrun included.
double clock_cap(double clock) {
    return std::max(0.0, std::min(clock - CLOCK_MARGIN_MS, clock * CLOCK_SHARE_LIMIT));
}

} // namespace

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
    time_cap = clock_cap(time_value);
    time_budget = std::min(time_budget, time_cap);
}

// UCI clock: moves_to_go was set by the "go" command.
void search::allot_clock_time() {
    if (moves_to_go <= 0) moves_to_go = FALLBACK_MOVES_TO_GO;
    double b = std::max(0.0, time_value);
    time_budget = std::min(b, (b + double(increment) * (moves_to_go - 1)) / moves_to_go);
    time_cap = clock_cap(time_value);
    time_budget = std::min(time_budget, time_cap);
}

// Waiting input stops every search; clock searches may overrun a large
// budget while the next control is far away. Once told to stop, the search never looks at the input
// again: the shell would read and run the next line in the middle of the search.
bool search::time_is_up() {
    if (think_state == 0) return true;
    if (seams.poll_input) seams.poll_input();
    if (think_state == 0) return true;
    if (search_mode == MODE_INFINITE || search_mode == MODE_DEPTH) return false;
    double t = now_ms() - search_start_ms;
    if (search_mode == MODE_FIXED_TIME) return t >= time_budget;
    if (t < time_budget) return false;
    if (t >= time_cap || moves_to_go <= FINAL_SPRINT_MOVES) return true;
    if (now_ms() - search_start_ms >= OVERRUN_FACTOR * time_budget) return true;
    return time_budget <= OVERRUN_MIN_BUDGET;
}
