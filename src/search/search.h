// The search object: its limits, its move-ordering tables and its results,
// and the iterative deepening that fills them.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "eval/eval.h"
#include "movegen/clock.h"
#include "movegen/mlist.h"

enum search_mode_code : int {
    MODE_DEPTH = 1,
    MODE_FIXED_TIME = 2,
    MODE_CLOCK = 3,
    MODE_INFINITE = 4,
    MODE_UCI_CLOCK = 5,
};

// Scores are centipawns from the side to move's point of view. MATE is the
// mate base and the window's infinity; a side mated at ply p scores p - MATE.
constexpr int MATE = 32767;
constexpr int NO_SCORE = -32768; // below every window: the initial best of a node
constexpr int DEFAULT_DEPTH = 10;
constexpr int PV_LENGTH = 64;
constexpr int KILLER_PLIES = 64;

// 0 idle, 1 a search is running. The shell clears it when input arrives,
// which is the running search's signal to stop.
extern int think_state;
// Set when the search must unwind (time up, input, or the console's "exit");
// the next search clears it when it starts.
extern int abort_search;

// The calls the search makes into the floors above it, set once at start-up.
// Unit tests leave them empty: no input, no book, no bitbases.
struct search_seams {
    void (*poll_input)() = nullptr; // may clear think_state when input waits
    bool (*book_pick)(move* out) = nullptr;
    // Null when no bitbases are loaded; true with the score when found.
    bool (*bitbase_probe)(const board& b, int* score) = nullptr;
    bool (*uci_dialect)() = nullptr; // thinking lines in the UCI form
    double (*clock_ms)() = now_ms;   // the search's clock; tests put a stand-in here
};
extern search_seams seams;

// A line of moves ended by no_move.
using pv_line = move[PV_LENGTH];

struct move_picker;

class search {
  public:
    int book_misses = 0; // searches in a row without a book move
    int increment = 0;   // ms per move in the clock modes
    // The largest clock of this game, which the clock reserve is measured by.
    int base_time_ms = 0;
    int moves_per_control = 0;
    int moves_to_go = 0;
    double time_budget = 0; // ms this search may use
    double time_cap = 0;    // ms a clock search may never pass, overrun included
    double time_value = 0;  // ms: fixed time per move, or the engine's clock
    int max_depth = DEFAULT_DEPTH;
    // Plies that also bound the timed searches (xboard "sd" beside a clock,
    // UCI "go depth" with a clock); 0 for none. The clock still rules.
    int depth_cap = 0;
    // Legal moves made in this search; an endless analysis passes 2^31.
    int64_t nodes = 0;
    int history_table[64][64];
    int show_thinking = 1;
    move killer1[KILLER_PLIES];
    move killer2[KILLER_PLIES];
    move best_move = no_move; // of the last completed iteration
    move ponder_move = no_move;
    int best_score = 0;
    int best_depth = 0;
    int search_mode = MODE_DEPTH;
    pv_line pv;

    search();
    virtual ~search();

    // The position, lists and evaluation this search works on.
    void attach(board& b, mlist& ml, const eval& ev);

    void reset_search();
    // Chooses a move for the attached position; returns its score.
    int think();
    // The steps of think(), in order.
    void set_limits();
    bool play_book_move();
    void deepen(bool root_in_check);
    void record_iteration(int score, int depth);
    void play_first_legal_move();

    int search_root(int alpha, int beta, int depth, bool root_in_check);
    move first_legal_root_move();
    int search_move(int alpha, int beta, int depth, int ply, bool gives_check, bool first,
                    pv_line& child);
    int search_node(int alpha, int beta, int depth, int ply, bool in_check, int non_pv,
                    pv_line& line_out);
    int quiesce(int alpha, int beta, int ply);
    void print_thinking(int score, int depth, int64_t nodes_done) const;

    int repetition_count() const;
    int material_score(int colour) const;

    // Move ordering.
    void pick_init(move_picker& p, int ply, bool in_check);
    bool pick_next(move_picker& p);
    void score_moves(int ply, move hash_move);
    void score_captures(int ply, int threshold);
    int score_root_moves();
    void select_best(int index, int ply);
    void update_killers(move m, int ply);

    // Time control.
    void allot_level_time(int plies);
    void allot_clock_time();
    bool time_is_up();

  private:
    board* b_ = nullptr;
    mlist* ml_ = nullptr;
    const eval* ev_ = nullptr;

    int capture_order_score(move m) const;
    bool poll();
    void keep_clock_reserve();
    bool has_time_limit() const;
    void restart_clock_countdown();
    void start_clock();
    bool clock_is_up();
    bool budget_spent() const;
    void make_null(struct null_undo& u);
    void unmake_null(const struct null_undo& u);
};

// Module-level state of the running search.
extern double search_start_ms;
extern int iteration_depth;
extern int seldepth;
extern int poll_count;
extern int clock_countdown; // nodes to the next look at the clock
extern bool single_reply;
extern move final_move; // best_move at the end of the last search

void copy_pv(pv_line& dst, move m, const pv_line& line);
// The moved piece is a pawn that has just reached the rank before promotion:
// such moves are searched a ply deeper on the principal line.
bool pawn_reached_seventh(const board& b, move m);
