// Iterative deepening with aspiration windows over the root search, and
// the thinking lines it prints.
#include "search/search.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "search/move_order.h"
#include "search/tt.h"

constexpr double UNLIMITED_MS = 9999999.0;
constexpr int UNLIMITED_DEPTH = 64;
constexpr int ASPIRATION = 50; // half-width of the window after a result inside it
constexpr int WIDEN_STEP = 50; // growth of the window after every failed search
constexpr int MAX_BOOK_MISSES = 3;
constexpr int FIRST_PRINTED_DEPTH = 3;

int think_state = 0;
int abort_search = 0;
search_seams seams;

double search_start_ms = 0;
int iteration_depth = 0;
int seldepth = 0;
int poll_count = 0;
bool single_reply = false;
move final_move = no_move;

search::search() {
    reset_search();
    think_state = 0;
}

search::~search() = default;

void search::attach(board& b, mlist& ml, const eval& ev) {
    b_ = &b;
    ml_ = &ml;
    ev_ = &ev;
}

void search::reset_search() {
    for (move& m : pv) m = no_move;
    for (auto& row : history_table)
        for (int& h : row) h = 0;
    for (int ply = 0; ply < KILLER_PLIES; ply++) killer1[ply] = killer2[ply] = no_move;
    // A search that finds no move must not leave the previous one's reply.
    best_move = ponder_move = no_move;
    best_score = 0;
    best_depth = 0;
    nodes = 0;
    think_state = 1;
}

// Principal-variation search of one move: the first legal move with the full
// window, every later one with a null window first and again with the full
// window only when it lands inside.
int search::search_move(int alpha, int beta, int depth, int ply, bool gives_check, bool first,
                        pv_line& child) {
    if (first) return -search_node(-beta, -alpha, depth, ply, gives_check, 0, child);
    const int v = -search_node(-alpha - 1, -alpha, depth, ply, gives_check, 1, child);
    if (v > alpha && v < beta)
        return -search_node(-beta, -alpha, depth, ply, gives_check, 0, child);
    return v;
}

int search::search_root(int alpha, int beta, int depth, bool root_in_check) {
    pv_line child;
    child[0] = no_move;
    int best = NO_SCORE;
    for (int i = ml_->first[0]; i < ml_->first[1]; i++) ml_->scores[i] = NO_SCORE;
    const int root_ext = int(single_reply) + int(root_in_check);
    int legal = 0;

    for (int i = ml_->first[0]; i < ml_->first[1]; i++) {
        const move m = ml_->moves[i];
        if (!b_->make_move(m)) continue;
        nodes++;
        legal++;
        const bool gives_check = b_->in_check();
        int e = root_ext + int(gives_check);
        if (e == 0 && pawn_reached_seventh(*b_, m)) e = 1;
        const int d = depth + (e > 0 ? 1 : 0) - 1;

        const int v = search_move(alpha, beta, d, 1, gives_check, legal == 1, child);
        b_->unmake_move();
        if (abort_search) return 0;

        ml_->scores[i] = v;
        if (v > best) {
            best = v;
            if (v > alpha) {
                alpha = v;
                copy_pv(pv, m, child);
                if (v >= beta) break;
            }
        }
    }
    ml_->sort_root_moves();
    return best;
}

int search::think() {
    reset_search();
    if (search_mode == MODE_INFINITE)
        tt_clear();
    else
        tt_next_age();
    set_limits();

    poll_count = 0;
    const bool root_in_check = b_->in_check();
    single_reply = false;
    ml_->first[0] = 0;
    ml_->generate_moves(*b_, 0);
    if (play_book_move()) return 0;

    if (score_root_moves() == 1) single_reply = true;
    ml_->sort_root_moves();
    abort_search = 0;
    start_clock();
    deepen(root_in_check);
    // Stopped inside the first iteration's first move (a crowded position
    // and a clock near zero): the engine must still play a legal move.
    if (best_move == no_move && abort_search) play_first_legal_move();
    final_move = best_move;
    return best_score;
}

// The time budget and the depth limit of the search mode.
void search::set_limits() {
    switch (search_mode) {
    case MODE_FIXED_TIME:
        time_budget = time_value;
        max_depth = UNLIMITED_DEPTH;
        break;
    case MODE_CLOCK:
        allot_level_time(b_->history_count);
        max_depth = UNLIMITED_DEPTH;
        break;
    case MODE_INFINITE:
        time_budget = UNLIMITED_MS;
        max_depth = UNLIMITED_DEPTH;
        break;
    case MODE_UCI_CLOCK:
        allot_clock_time();
        max_depth = UNLIMITED_DEPTH;
        break;
    default:
        time_budget = UNLIMITED_MS;
        break;
    }
    // An analysis runs until it is told to stop, whatever depth was asked.
    if (depth_cap > 0 && search_mode != MODE_INFINITE) max_depth = std::min(max_depth, depth_cap);
}

// An infinite or pondering search must not answer before it is told to
// stop, so it never plays from the book. True when the book gave the move.
bool search::play_book_move() {
    move book = no_move;
    if (search_mode == MODE_INFINITE || book_misses >= MAX_BOOK_MISSES || !seams.book_pick ||
        !seams.book_pick(&book))
        return false;
    best_move = book;
    ponder_move = no_move;
    best_score = best_depth = 0;
    pv[0] = book;
    return true;
}

// Iterative deepening with an aspiration window around the last score: a
// fail low searches the same depth again with the window opened below, a
// fail high keeps the move one depth shallower and opens the window above.
void search::deepen(bool root_in_check) {
    // A limit of N plies runs the iterations below N, but always the first:
    // "go depth 1" or "go mate 1" must still give a move.
    const int depth_limit = std::max(max_depth, 2);
    int alpha = -MATE, beta = MATE;
    int widen = 0;
    for (int d = 1; d < depth_limit;) {
        iteration_depth = d;
        seldepth = d;
        const int v = search_root(alpha, beta, d, root_in_check);
        if (v == NO_SCORE) break; // no legal move at the root
        widen += WIDEN_STEP;
        int recorded;
        if (v <= alpha) {
            alpha = -MATE;
            beta = std::min(v + widen, MATE);
            continue;
        }
        if (v >= beta) {
            alpha = std::max(v - widen, -MATE);
            beta = MATE;
            recorded = d - 1;
        } else {
            alpha = std::max(v - ASPIRATION, -MATE);
            beta = std::min(v + ASPIRATION, MATE);
            widen = 0;
            recorded = d;
            d++;
        }
        if (recorded > 1 && abort_search) {
            pv[0] = best_move;
            break;
        }
        record_iteration(v, recorded);
    }
}

// The iteration's line becomes the answer, and is shown.
void search::record_iteration(int score, int depth) {
    best_move = pv[0];
    ponder_move = pv[1];
    best_score = score;
    best_depth = depth;
    if ((seams.uci_dialect && seams.uci_dialect()) || show_thinking)
        print_thinking(score, depth, nodes);
}

void search::play_first_legal_move() {
    best_move = pv[0] = first_legal_root_move();
    pv[1] = ponder_move = no_move;
}

move search::first_legal_root_move() {
    for (int i = ml_->first[0]; i < ml_->first[1]; i++) {
        if (!b_->make_move(ml_->moves[i])) continue;
        b_->unmake_move();
        return ml_->moves[i];
    }
    return no_move;
}

void search::print_thinking(int score, int depth, int64_t nodes_done) const {
    if (depth < FIRST_PRINTED_DEPTH) return;
    const double t = seams.clock_ms() - search_start_ms;
    const bool uci = seams.uci_dialect && seams.uci_dialect();
    if (uci)
        printf("info depth %d seldepth %d time %.0f nodes %lld score cp %d pv ", depth, seldepth, t,
               (long long)nodes_done, score);
    else
        printf("%3d %6d %6d %10lld ", depth, score, int(t / 10), (long long)nodes_done);
    for (int i = 0; i < PV_LENGTH && pv[i] != no_move; i++) {
        const move m = pv[i];
        const char* from = square_names[m.from];
        const char* to = square_names[m.to];
        const char letter = PIECE_LETTERS[m.promote];
        // UCI GUIs read the line as moves, so a promotion is written as one (e7e8q).
        if (uci) {
            printf("%s%s", from, to);
            if (m.promote) printf("%c", char(tolower(letter)));
        } else {
            printf("%s%c%s", from, (m.flags & FLAG_CAPTURE) ? 'x' : '-', to);
            if (m.promote) printf("(%c)", letter);
        }
        printf(" ");
    }
    printf("\n");
}
