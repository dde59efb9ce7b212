#include "search/move_order.h"

#include <utility>

#include "search/search.h"
#include "search/tt.h"

namespace {

// The order of a capture judged by the exchange on its square.
int exchange_score(const board& b, int square) {
    const int s = b.see(square);
    return s == 0 ? SCORE_GOOD_CAPTURE : SCORE_BAD_CAPTURE + s;
}

} // namespace

// Captures of a dearer piece come first by the gain; even trades next; a
// capture by a dearer piece is judged by the exchange on the square.
int search::capture_order_score(move m) const {
    const int victim = piece_value[b_->squares[m.to].piece];
    const int attacker = piece_value[b_->squares[m.from].piece];
    if (victim > attacker) return SCORE_GOOD_CAPTURE + victim - attacker;
    if (victim == attacker) return SCORE_GOOD_CAPTURE;
    return exchange_score(*b_, m.to);
}

namespace {

// En passant and promotions, in all three scorers.
int special_score(const board& b, move m) {
    if (m.flags & FLAG_EP) return SCORE_GOOD_CAPTURE;
    if (m.flags & FLAG_CAPTURE) return SCORE_PROMOTION_BASE + piece_value[b.squares[m.to].piece];
    return SCORE_PROMOTION_BASE + piece_value[m.promote];
}

bool is_special(move m) {
    return m.flags & (FLAG_PROMOTE | FLAG_EP);
}

// Removes m from the list of the ply at or after `from`, keeping the order.
void drop_move(mlist& ml, int ply, int from, move m) {
    int end = ml.first[ply + 1];
    for (int i = from; i < end; i++) {
        if (ml.moves[i] != m) continue;
        for (int j = i + 1; j < end; j++) ml.moves[j - 1] = ml.moves[j];
        ml.first[ply + 1] = end - 1;
        return;
    }
}

} // namespace

void search::pick_init(move_picker& p, int ply, bool in_check) {
    p.ply = ply;
    p.index = ml_->first[ply];
    p.in_check = in_check;
    p.current = no_move;
    p.hash_move = tt_move(b_->key);
    p.phase = p.hash_move != no_move ? PHASE_HASH : PHASE_GENERATE;
    if (in_check) {
        ml_->generate_legal_moves(*b_, ply);
        score_moves(ply, p.hash_move);
        p.phase = PHASE_LIST;
    }
}

// After the hash move the list is generated behind its slot, so the index
// stays valid and the first generated move is not skipped; the hash move
// itself is dropped from the generated list so it is never searched twice.
bool search::pick_next(move_picker& p) {
    const int ply = p.ply;
    if (p.phase == PHASE_HASH) {
        p.phase = PHASE_GENERATE;
        if (b_->move_is_valid(p.hash_move)) {
            const int slot = ml_->first[ply];
            ml_->moves[slot] = p.hash_move;
            ml_->first[ply + 1] = slot + 1;
            p.current = p.hash_move;
            p.index = slot + 1;
            return true;
        }
    }
    if (p.phase == PHASE_GENERATE) {
        const int saved_first = ml_->first[ply];
        ml_->first[ply] = p.index;
        ml_->generate_moves(*b_, ply);
        ml_->first[ply] = saved_first;
        if (p.index > saved_first) drop_move(*ml_, ply, p.index, p.hash_move);
        score_moves(ply, p.hash_move);
        p.phase = PHASE_LIST;
    }
    if (p.index >= ml_->first[ply + 1]) return false;
    select_best(p.index, ply);
    p.current = ml_->moves[p.index++];
    return true;
}

void search::score_moves(int ply, move hash_move) {
    int history_scored = 0;
    for (int i = ml_->first[ply]; i < ml_->first[ply + 1]; i++) {
        const move m = ml_->moves[i];
        int& score = ml_->scores[i];
        if (m == hash_move)
            score = SCORE_HASH_MOVE;
        else if (m == pv[ply])
            score = SCORE_PV_MOVE;
        else if (is_special(m))
            score = special_score(*b_, m);
        else if (m.flags & FLAG_CAPTURE)
            score = capture_order_score(m);
        else if (m == killer1[ply])
            score = SCORE_KILLER1;
        else if (m == killer2[ply])
            score = SCORE_KILLER2;
        else if (history_scored < HISTORY_SCORED_MOVES) {
            score = SCORE_HISTORY_BASE + history_table[m.from][m.to];
            history_scored++;
        } else {
            score = 0;
        }
    }
}

// Quiescence: a victim worth less than what is still needed to reach alpha
// is ordered by the exchange instead of by victim and attacker.
void search::score_captures(int ply, int threshold) {
    // The exchange depends on the square alone, so captures on one square
    // share it. Buys bench 1.4 % of its instructions.
    uint64_t judged = 0;
    int exchange_on[64];
    for (int i = ml_->first[ply]; i < ml_->first[ply + 1]; i++) {
        const move m = ml_->moves[i];
        int& score = ml_->scores[i];
        if (m == pv[ply])
            score = SCORE_PV_MOVE;
        else if (is_special(m))
            score = special_score(*b_, m);
        else {
            const int victim = piece_value[b_->squares[m.to].piece];
            const int attacker = piece_value[b_->squares[m.from].piece];
            if (victim > attacker && victim >= threshold) {
                score = SCORE_GOOD_CAPTURE + victim - attacker;
            } else {
                if (!(judged & square_bit(m.to))) {
                    judged |= square_bit(m.to);
                    exchange_on[m.to] = exchange_score(*b_, m.to);
                }
                score = exchange_on[m.to];
            }
        }
    }
}

int search::score_root_moves() {
    const move hash_move = tt_move(b_->key);
    for (int i = ml_->first[0]; i < ml_->first[1]; i++) {
        const move m = ml_->moves[i];
        int& score = ml_->scores[i];
        if (m == hash_move)
            score = SCORE_PV_MOVE;
        else if (is_special(m))
            score = special_score(*b_, m);
        else if (m.flags & FLAG_CAPTURE)
            score = capture_order_score(m);
        else
            score = 0;
    }
    return ml_->first[1];
}

void search::select_best(int index, int ply) {
    int best = index;
    for (int i = index + 1; i < ml_->first[ply + 1]; i++)
        if (ml_->scores[i] > ml_->scores[best]) best = i;
    if (best == index) return;
    std::swap(ml_->moves[index], ml_->moves[best]);
    std::swap(ml_->scores[index], ml_->scores[best]);
}

void search::update_killers(move m, int ply) {
    if (m == killer1[ply]) return;
    killer2[ply] = killer1[ply];
    killer1[ply] = m;
}
