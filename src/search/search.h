// The search object: its limits, its move-ordering tables and its results.
#pragma once

#include "board/types.h"

enum search_mode_code : int {
    MODE_DEPTH = 1,
    MODE_FIXED_TIME = 2,
    MODE_CLOCK = 3,
    MODE_INFINITE = 4,
    MODE_UCI_CLOCK = 5,
};

// Mate base and the window's infinity; a side mated at ply p scores p - MATE.
constexpr int MATE = 32767;
constexpr int DEFAULT_DEPTH = 10;
constexpr int PV_LENGTH = 64;
constexpr int KILLER_PLIES = 64;

// 0 idle, 1 a search is running. The shell clears it when input arrives,
// which is the running search's signal to stop.
extern int think_state;
// Set by the console's "exit"; the next search clears it when it starts.
extern int abort_search;

class search {
  public:
    int book_misses = 0; // searches in a row without a book move
    int increment = 0;   // ms per move in the clock modes
    int base_time_ms = 0;
    int moves_per_control = 0;
    int moves_to_go = 0;
    double time_budget = 0; // ms this search may use
    double time_value = 0;  // ms: fixed time per move, or the engine's clock
    int max_depth = DEFAULT_DEPTH;
    int nodes = 0;
    int history_table[64][64];
    int show_thinking = 1;
    move killer1[KILLER_PLIES];
    move killer2[KILLER_PLIES];
    move best_move = no_move;
    move ponder_move = no_move;
    int best_score = 0;
    int best_depth = 0;
    int search_mode = MODE_DEPTH;
    move pv[PV_LENGTH];

    search();
    virtual ~search();

    void reset_search();
};
