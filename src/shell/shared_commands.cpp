#include "shell/shared_commands.h"

#include <cstdlib>
#include <cstring>

#include "chess.h"
#include "search/tt.h"
#include "shell/startup.h"

constexpr double MS_PER_SECOND = 1000.0;

void new_game() {
    engine.pos.set_position(START_FEN);
    engine.pos.history_count = 0;
    tt_clear();
    engine.srch.reset_search();
    engine.srch.book_misses = 0;
    engine.srch.base_time_ms = 0;
}

bool engine_move() {
    engine.srch.reset_search();
    engine.srch.think();
    // With no legal move there is nothing to play.
    if (engine.srch.best_move == no_move) return false;
    return engine.pos.make_move(engine.srch.best_move);
}

void analyze() {
    engine.srch.reset_search();
    tt_clear();
    engine.srch.search_mode = MODE_INFINITE;
    engine.srch.think();
}

void show_position() {
    if (show_board) engine.pos.print();
}

const char* set_position_checked(const char* fen) {
    const char* problem = position_problem(fen);
    if (!problem) engine.pos.set_position(fen);
    return problem;
}

const char* text_from(const char* line, int at) {
    return int(strlen(line)) >= at ? line + at : "";
}

int number_from(const char* line, int at) {
    return atoi(text_from(line, at));
}

void run_post(const char*) {
    show_board = engine.srch.show_thinking = 1;
}
void run_nopost(const char*) {
    show_board = engine.srch.show_thinking = 0;
}

void run_st(const char* line) {
    engine.srch.time_value = number_from(line, 3) * MS_PER_SECOND;
    engine.srch.search_mode = MODE_FIXED_TIME;
}
