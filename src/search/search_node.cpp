// The principal-variation alpha-beta search of full-width nodes and the
// capture-only quiescence search below it. Scores are from the side to
// move's point of view; a side mated at ply p scores p - MATE.
#include <algorithm>
#include <cassert>

#include "board/make_move.h"
#include "search/move_order.h"
#include "search/search.h"
#include "search/tt.h"

// Nodes between two looks at the input, and at the clock too. The fuzz
// build looks far more often, so that its timed searches end after a few
// hundred nodes.
#ifdef KORVEL_POLL_INTERVAL
constexpr int POLL_INTERVAL = KORVEL_POLL_INTERVAL;
#else
constexpr int POLL_INTERVAL = 8093;
#endif
constexpr int MAX_SEARCH_PLY = 62;
constexpr int NULL_MOVE_MIN_DEPTH = 3;
constexpr int NULL_MOVE_REDUCTION = 4;
constexpr int NULL_MOVE_EVAL_DEPTH = 4; // deeper nodes ask the evaluation first
constexpr int NULL_SCORE_CAP = 32511;   // a null-move result is never taken as a mate
constexpr int REDUCTION_DEPTH = 2;
constexpr int REDUCTION_MARGIN = 1000; // hopeless material deficit for the side to move
constexpr int BITBASE_MAX_PIECES = 3;  // besides the two kings
constexpr int BITBASE_MIN_PLY = 2;
constexpr int QUIESCE_THRESHOLD_MARGIN = 100;
// History scores saturate far above anything a game reaches, so that days
// of analysis cannot overflow them.
constexpr int HISTORY_LIMIT = 1 << 30;

constexpr int MATERIAL_SCORE_VALUE[7] = {0, 100, 325, 325, 500, 950, 0};

struct null_undo {
    uint64_t key;
    int side_to_move;
    int fifty_count;
    int ep_square;
    move last_move;
};

namespace {

bool is_mate_window(int alpha, int beta) {
    return std::abs(alpha) == MATE && std::abs(beta) == MATE;
}

bool has_heavy_piece(const board& b, int colour) {
    return b.piece_count(ROOK, colour) + b.piece_count(QUEEN, colour) > 0;
}

} // namespace

bool pawn_reached_seventh(const board& b, move m) {
    const square_node& to = b.squares[m.to];
    if (to.piece != PAWN) return false;
    return to.colour == WHITE ? m.to >= 8 && m.to <= 15 : m.to >= 48 && m.to <= 55;
}

void copy_pv(pv_line& dst, move m, const pv_line& line) {
    dst[0] = m;
    int i = 0;
    for (; i < PV_LENGTH - 2 && line[i] != no_move; i++) dst[i + 1] = line[i];
    dst[i + 1] = no_move;
}

int search::material_score(int colour) const {
    int score = 0;
    for (int type = PAWN; type < KING; type++)
        score += MATERIAL_SCORE_VALUE[type] *
                 (b_->piece_count(type, colour) - b_->piece_count(type, colour ^ 1));
    return score;
}

// Earlier positions with the same side to move since the last capture or
// pawn move that equal the current one.
int search::repetition_count() const {
    const int h = b_->history_count, f = b_->fifty_count;
    if (h < 2 || f < 2) return 0;
    int count = 0;
    for (int i = h - 2, n = (f - 2) / 2 + 1; n > 0 && i >= 0; i -= 2, n--)
        count += b_->history[i].key == b_->key;
    return count;
}

// True when the search must unwind now.
bool search::poll() {
    if (++poll_count <= POLL_INTERVAL - 1) {
        if (--clock_countdown > 0 || !clock_is_up()) return false;
    } else if (!time_is_up()) {
        poll_count = 0;
        return false;
    }
    abort_search = 1;
    return true;
}

void search::make_null(null_undo& u) {
    u = {b_->key, b_->side_to_move, b_->fifty_count, b_->ep_square, b_->last_move};
    if (b_->ep_square != NO_SQUARE) b_->key ^= ep_key(b_->ep_square);
    b_->key = ~b_->key;
    b_->fifty_count = 0;
    b_->ep_square = NO_SQUARE;
    b_->side_to_move ^= 1;
    b_->last_move = no_move;
    b_->forget_check_state();
#ifdef KORVEL_CHECKS
    assert(b_->board_ok());
#endif
}

void search::unmake_null(const null_undo& u) {
    b_->key = u.key;
    b_->side_to_move = u.side_to_move;
    b_->fifty_count = u.fifty_count;
    b_->ep_square = u.ep_square;
    b_->last_move = u.last_move;
    b_->forget_check_state();
#ifdef KORVEL_CHECKS
    assert(b_->board_ok());
#endif
}

int search::search_node(int alpha, int beta, int depth, int ply, bool in_check, int non_pv,
                        pv_line& line_out) {
    // Step 1. The line starts empty, also below the last full-width ply:
    // the caller reuses one buffer for all its moves, and a line left from
    // an earlier move would be reported after this one.
    pv_line child;
    child[0] = no_move;
    line_out[0] = no_move;

    // Step 2. Out of depth: settle the captures.
    if (depth <= 0) return quiesce(alpha, beta, ply);
    seldepth = std::max(seldepth, ply);

    // Step 3. Look at the clock and the input now and then.
    if (poll()) return 0;

    // Step 4. Draws by the fifty-move rule or a single repetition.
    if (b_->fifty_count >= FIFTY_MOVE_PLIES || repetition_count() > 0) return 0;

    // Step 5. Mate-distance pruning: no line from here beats a mate found nearer the root.
    if (!is_mate_window(alpha, beta)) {
        const int a = std::max(alpha, ply - MATE);
        const int b = std::min(beta, MATE - 1 - ply);
        if (a >= b) return a;
    }

    // Step 6. The per-ply tables end here.
    if (ply > MAX_SEARCH_PLY) return alpha;

    // Step 7. The table ends only null-window nodes, never the principal line.
    const tt_result hit = tt_probe(b_->key, depth, ply);
    if (hit.hit && non_pv) {
        if (hit.bound == BOUND_EXACT) return hit.score;
        if (hit.bound == BOUND_LOWER && hit.score >= beta) return hit.score;
        if (hit.bound == BOUND_UPPER && hit.score <= alpha) return hit.score;
    }

    // Step 8. Bitbases, away from the root and where the position is simple enough.
    if (seams.bitbase_probe && ply > BITBASE_MIN_PLY) {
        const int n = b_->pieces_besides_kings();
        const bool deep_enough =
            n < BITBASE_MAX_PIECES || iteration_depth - ply >= iteration_depth / 3;
        const bool worth_it = ply >= iteration_depth / 2 || (b_->last_move.flags & FLAG_CAPTURE) ||
                              b_->squares[b_->last_move.to].piece == PAWN;
        int score = 0;
        if (n <= BITBASE_MAX_PIECES && deep_enough && worth_it && seams.bitbase_probe(*b_, &score))
            return score;
    }

    // Step 9. Null move: if passing still fails high, the node is not worth a full search.
    if (depth >= NULL_MOVE_MIN_DEPTH && non_pv && !in_check && std::abs(beta) < NULL_SCORE_CAP &&
        has_heavy_piece(*b_, b_->side_to_move) &&
        (depth <= NULL_MOVE_EVAL_DEPTH || ev_->evaluate(*b_, alpha, beta) >= beta)) {
        null_undo u;
        make_null(u);
        const int v =
            -search_node(-beta, 1 - beta, depth - NULL_MOVE_REDUCTION, ply, false, 1, child);
        unmake_null(u);
        if (abort_search) return 0;
        if (v >= beta) return std::min(v, NULL_SCORE_CAP);
    }

    // Step 10. The moves, best first.
    const int alpha_at_entry = alpha;
    int node_best = NO_SCORE;
    move best = no_move;
    int legal = 0;
    int prev_depth = 0;
    move_picker picker;
    pick_init(picker, ply, in_check);
    while (pick_next(picker)) {
        const move m = picker.current;
        if (m == no_move) break;
        if (!b_->make_move(m)) continue;
        nodes++;
        legal++;
        const bool gives_check = b_->in_check();

        // Checks extend; in null-window nodes a quiet move of a side hopelessly
        // behind is reduced, but never the first legal move.
        const bool hopeless = non_pv && depth == REDUCTION_DEPTH && prev_depth == depth &&
                              material_score(b_->side_to_move) + REDUCTION_MARGIN < alpha;
        int ext = 0;
        if (gives_check)
            ext = hopeless ? 0 : 1;
        else if (non_pv)
            ext = hopeless ? -1 : 0;
        else if (pawn_reached_seventh(*b_, m))
            ext = 1;
        const int new_depth = depth + ext;
        prev_depth = new_depth;

        const int v =
            search_move(alpha, beta, new_depth - 1, ply + 1, gives_check, legal == 1, child);
        b_->unmake_move();
        if (abort_search) return 0;

        if (v > node_best) {
            node_best = v;
            if (v > alpha) {
                best = m;
                alpha = v;
                copy_pv(line_out, m, child);
                if (v >= beta) break;
            }
        }
    }

    // Step 11. No legal move: mate or stalemate.
    if (legal == 0) return in_check ? ply - MATE : 0;

    // Step 12. Learn from a best move that landed strictly inside the window.
    if (best != no_move && alpha_at_entry < node_best && node_best < beta) {
        int& h = history_table[best.from][best.to];
        h = std::min(h + depth * depth, HISTORY_LIMIT);
        if (!(best.flags & (FLAG_CAPTURE | FLAG_PROMOTE | FLAG_EP))) update_killers(best, ply);
    }

    // Step 13. Scores inside the window are stored as lower bounds.
    if (node_best > alpha_at_entry)
        tt_store(ply, node_best, depth, b_->key, BOUND_LOWER, best);
    else
        tt_store(ply, node_best, depth, b_->key, BOUND_UPPER, no_move);
    return node_best;
}

// Captures and queen promotions only, standing pat on the evaluation even
// when the side to move is in check.
int search::quiesce(int alpha, int beta, int ply) {
    if (poll()) return 0;
    if (ply > MAX_SEARCH_PLY) return ev_->evaluate(*b_, alpha, beta);

    const int stand_pat = ev_->evaluate(*b_, alpha, beta);
    if (stand_pat >= beta) return stand_pat;
    alpha = std::max(alpha, stand_pat);
    int node_best = alpha;

    const int threshold = alpha - b_->material_balance(b_->side_to_move) + QUIESCE_THRESHOLD_MARGIN;
    ml_->generate_captures(*b_, ply);
    score_captures(ply, threshold);
    for (int i = ml_->first[ply]; i < ml_->first[ply + 1]; i++) {
        select_best(i, ply);
        if (!b_->make_light(ml_->moves[i])) continue;
        nodes++;
        const int v = -quiesce(-beta, -alpha, ply + 1);
        b_->unmake_light();
        if (abort_search) return 0;
        if (v > node_best) {
            node_best = v;
            alpha = std::max(alpha, v);
            if (v >= beta) break;
        }
    }
    return node_best;
}
