// The evaluation driver: material, the term order, the two lazy exits, the
// bishop patterns and the blend of opening and endgame scores by phase.
#include "eval/eval.h"

#include <cassert>
#include <initializer_list>

#include "eval/terms.h"

constexpr int PAWN_OPEN = 80, PAWN_END = 100;
// Non-pawn material by piece type, in opening and endgame values.
constexpr int MATERIAL_OPEN[KING + 1] = {0, 0, 325, 325, 450, 900, 0};
constexpr int MATERIAL_END[KING + 1] = {0, 0, 325, 325, 500, 950, 0};
constexpr int PHASE_WEIGHT[KING + 1] = {0, 0, 2, 3, 5, 9, 0};
// w = phase * PHASE_SCALE / PHASE_DIVISOR, exactly 1.0 with every piece on the board.
constexpr double PHASE_SCALE = 1.5;
constexpr double PHASE_DIVISOR = 87;
// Minor material that cannot mate alone: one knight, one bishop or two knights.
constexpr int DRAWN_MINOR_WEIGHT = 4;
constexpr int MINOR_WEIGHT_KNIGHT = 2, MINOR_WEIGHT_BISHOP = 3;
// The most the piece terms (first exit) or mobility (second exit) are
// expected to move the score.
constexpr int LAZY_MARGIN_PIECES = 350;
constexpr int LAZY_MARGIN_MOBILITY = 40;
constexpr int BISHOP_HEMMED = 20;       // on c1 behind b2 and d2, or f1 behind e2 and g2
constexpr int BISHOP_BLOCKS_PAWN = 200; // on d3 or e3 in front of its own home pawn
constexpr int BISHOP_PAIR = 30;

constexpr int B2 = 49, D2 = 51, E2 = 52, G2 = 54, D3 = 43, E3 = 44;

namespace {

bool is_material_draw(const board& b) {
    for (int colour : {WHITE, BLACK}) {
        if (b.piece_count(PAWN, colour) || b.piece_count(ROOK, colour) ||
            b.piece_count(QUEEN, colour))
            return false;
        if (MINOR_WEIGHT_BISHOP * b.piece_count(BISHOP, colour) +
                MINOR_WEIGHT_KNIGHT * b.piece_count(KNIGHT, colour) >
            DRAWN_MINOR_WEIGHT)
            return false;
    }
    return true;
}

void eval_material(const board& b, eval_state& st) {
    for (int colour : {WHITE, BLACK}) {
        for (int type = KNIGHT; type <= QUEEN; type++) {
            st.material_open[colour] += MATERIAL_OPEN[type] * b.piece_count(type, colour);
            st.material_end[colour] += MATERIAL_END[type] * b.piece_count(type, colour);
        }
    }
    const int pawns = b.piece_count(PAWN, WHITE) - b.piece_count(PAWN, BLACK);
    st.open += PAWN_OPEN * pawns + st.material_open[WHITE] - st.material_open[BLACK];
    st.end += PAWN_END * pawns + st.material_end[WHITE] - st.material_end[BLACK];
}

bool piece_on(const board& b, int square, int colour, int type) {
    return b.squares[square].piece == type && b.squares[square].colour == colour;
}

// The blend truncated toward zero, turned to the side to move's view.
int score_to_move(const board& b, const eval_state& st, double w) {
    const int s = int((1 - w) * st.end + w * st.open);
    return b.side_to_move == WHITE ? s : -s;
}

} // namespace

int material_phase(const board& b) {
    int phase = 0;
    for (int colour : {WHITE, BLACK})
        for (int type = KNIGHT; type <= QUEEN; type++)
            phase += PHASE_WEIGHT[type] * b.piece_count(type, colour);
    return phase;
}

// Not clamped: after promotions w exceeds 1 and the endgame score counts negatively.
double phase_weight(int phase) {
    return phase * PHASE_SCALE / PHASE_DIVISOR;
}

// Patterns written for White; Black's squares are the same flipped (XOR 56).
void eval_bishop_patterns(const board& b, eval_state& st) {
    for (int colour : {WHITE, BLACK}) {
        const int bishops = b.piece_count(BISHOP, colour), sign = colour_sign(colour);
        if (bishops == 0) continue;
        const int flip = colour == WHITE ? 0 : 56;
        auto bishop_on = [&](int s) { return piece_on(b, s ^ flip, colour, BISHOP); };
        auto pawn_on = [&](int s) { return piece_on(b, s ^ flip, colour, PAWN); };
        if (bishop_on(C1) && pawn_on(B2) && pawn_on(D2)) st.open -= sign * BISHOP_HEMMED;
        if (bishop_on(F1) && pawn_on(E2) && pawn_on(G2)) st.open -= sign * BISHOP_HEMMED;
        if (bishop_on(D3) && pawn_on(D2)) st.open -= sign * BISHOP_BLOCKS_PAWN;
        if (bishop_on(E3) && pawn_on(E2)) st.open -= sign * BISHOP_BLOCKS_PAWN;
        if (bishops >= 2) {
            st.open += sign * BISHOP_PAIR;
            st.end += sign * BISHOP_PAIR;
        }
    }
}

eval::~eval() = default;

int eval::evaluate(const board& b, int alpha, int beta) const {
    assert(b.king_square(WHITE) != NO_SQUARE && b.king_square(BLACK) != NO_SQUARE);
    if (is_material_draw(b)) return 0;
    eval_state st{};
    const double w = phase_weight(material_phase(b));
    eval_material(b, st);
    eval_pawn_structure(b, st);

    // First exit: the bound itself, when the pieces cannot bring the score back.
    int s = score_to_move(b, st, w);
    if (s + LAZY_MARGIN_PIECES <= alpha) return alpha;
    if (s - LAZY_MARGIN_PIECES >= beta) return beta;

    // The king term reads the closeness the four piece terms accumulate.
    eval_knights(b, st);
    eval_bishops(b, st);
    eval_rooks(b, st);
    eval_queens(b, st);
    eval_kings(b, st);
    eval_bishop_patterns(b, st);

    // Second exit: the partial score, when mobility cannot bring it back.
    s = score_to_move(b, st, w);
    if (s + LAZY_MARGIN_MOBILITY < alpha || s - LAZY_MARGIN_MOBILITY > beta) return s;

    eval_mobility(b, st);
    return score_to_move(b, st, w);
}
