#include "search/search.h"

int think_state = 0;
int abort_search = 0;

search::search() {
    reset_search();
    think_state = 0;
}

search::~search() = default;

void search::reset_search() {
    for (move& m : pv) m = no_move;
    for (auto& row : history_table)
        for (int& h : row) h = 0;
    for (int ply = 0; ply < KILLER_PLIES; ply++) killer1[ply] = killer2[ply] = no_move;
    best_move = no_move;
    best_score = 0;
    best_depth = 0;
    nodes = 0;
    think_state = 1;
}
