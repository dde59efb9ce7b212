// Pawn structure: the per-file summary of the rearmost pawns, then doubled,
// isolated, backward and passed pawns read from it with a shift and a mask.
#include <cstdint>
#include <initializer_list>

#include "eval/pst.h"
#include "eval/terms.h"

constexpr int DOUBLED_OPEN = 10, DOUBLED_END = 20;
constexpr int ISOLATED_OPEN = 10, ISOLATED_END = 10;
constexpr int BACKWARD_OPEN = 20, BACKWARD_END = 10;
// A passed pawn earns these per row advanced from its first rank.
constexpr int PASSED_OPEN_PER_ROW = 5, PASSED_END_PER_ROW = 15;
// Pawn structures remembered; a power of two.
constexpr int PAWN_CACHE_SIZE = 1 << 14;
// Row 0 is rank 8, and a rearmost-row field of 0 also means a file without
// pawns: a Black pawn there is forgotten when a later pawn of its file is
// recorded, so the summary depends on the order of the pass. The pass
// follows the piece table's slots, which make and unmake reorder, so such a
// structure cannot be cached by its squares.
constexpr uint64_t RANK_8 = 0xFF;

namespace {

// The pawn terms of one pawn structure, keyed by the pawns' squares
// themselves, so that a hit returns exactly what the terms would compute.
// A zeroed entry is the structure without pawns, whose terms are all zero.
struct pawn_entry {
    uint64_t pawns[2]; // by colour code, bit n for square n
    int open;
    int end;
    int pawn_rows[2];
    int pawn_files[2];
    int passed_files[2];
};

pawn_entry pawn_cache[PAWN_CACHE_SIZE];

pawn_entry& pawn_slot(uint64_t white, uint64_t black) {
    const uint64_t h = (white ^ (black * 0x9E3779B97F4A7C15ull)) * 0xD6E8FEB86659FD93ull;
    return pawn_cache[h >> 50 & (PAWN_CACHE_SIZE - 1)];
}

void record_pawn(eval_state& st, int colour, int square) {
    const int file = square % 8, row = row_of(square);
    st.pawn_files[colour] |= 1 << file;
    const int stored = file_row(st.pawn_rows[colour], file);
    if (stored == 0 || behind(colour, row, stored))
        st.pawn_rows[colour] = (st.pawn_rows[colour] & ~(7 << (3 * file))) | row << (3 * file);
}

// Another pawn of the colour stands behind this one on its file.
bool is_doubled(const eval_state& st, int colour, int file, int row) {
    const int rearmost = file_row(st.pawn_rows[colour], file);
    return rearmost != 0 && behind(colour, rearmost, row);
}

// No own pawn on a neighbour file means isolated; backward means every
// neighbour file's rearmost own pawn is further advanced than this one.
void score_isolated_or_backward(eval_state& st, int colour, int file, int row) {
    bool has_neighbour = false, backward = true;
    for (int f = file - 1; f <= file + 1; f += 2) {
        if (f < 0 || f > 7) continue;
        const int n = file_row(st.pawn_rows[colour], f);
        if (n == 0) continue;
        has_neighbour = true;
        backward &= behind(colour, row, n);
    }
    const int sign = colour_sign(colour);
    if (!has_neighbour) {
        st.open -= sign * ISOLATED_OPEN;
        st.end -= sign * ISOLATED_END;
    } else if (backward) {
        st.open -= sign * BACKWARD_OPEN;
        st.end -= sign * BACKWARD_END;
    }
}

// Only the rearmost enemy pawn of each neighbour file is consulted, and a
// pawn with enemy pawns on both neighbour files never counts as passed.
bool is_passed(const eval_state& st, int colour, int file, int row) {
    const int enemy = colour ^ 1;
    if (st.pawn_files[enemy] & (1 << file)) return false;
    int guarded_files = 0;
    bool stops_it = false;
    for (int f = file - 1; f <= file + 1; f += 2) {
        if (f < 0 || f > 7) continue;
        const int m = file_row(st.pawn_rows[enemy], f);
        if (m == 0) continue;
        guarded_files++;
        stops_it = behind(colour, row, m);
    }
    return guarded_files == 0 || (guarded_files == 1 && !stops_it);
}

void score_pawn(eval_state& st, int colour, int square) {
    const int file = square % 8, row = row_of(square), sign = colour_sign(colour);
    st.open += sign * pst_open[PAWN][pst_square(square, colour)];
    st.end += sign * pst_end[PAWN][pst_square(square, colour)];
    if (is_doubled(st, colour, file, row)) {
        st.open -= sign * DOUBLED_OPEN;
        st.end -= sign * DOUBLED_END;
    }
    score_isolated_or_backward(st, colour, file, row);
    if (is_passed(st, colour, file, row)) {
        const int advanced = colour == WHITE ? 7 - row : row;
        st.open += sign * PASSED_OPEN_PER_ROW * advanced;
        st.end += sign * PASSED_END_PER_ROW * advanced;
        st.passed_files[colour] |= 1 << file;
    }
}

} // namespace

void eval_pawn_files(const board& b, eval_state& st) {
    for (int colour : {WHITE, BLACK}) {
        st.pawn_rows[colour] = st.pawn_files[colour] = st.passed_files[colour] = 0;
        for_each_piece_in_slot_order(b, colour, PAWN, [&](int s) { record_pawn(st, colour, s); });
    }
}

void eval_pawns(const board& b, eval_state& st) {
    for (int colour : {WHITE, BLACK})
        for_each_piece(b, colour, PAWN, [&](int s) { score_pawn(st, colour, s); });
}

namespace {

// The pawn terms of the board's pawns, worked out afresh into the entry.
void fill_pawn_entry(const board& b, const uint64_t (&pawns)[2], pawn_entry& e) {
    eval_state fresh{};
    eval_pawn_files(b, fresh);
    eval_pawns(b, fresh);
    e.open = fresh.open;
    e.end = fresh.end;
    for (int colour : {WHITE, BLACK}) {
        e.pawns[colour] = pawns[colour];
        e.pawn_rows[colour] = fresh.pawn_rows[colour];
        e.pawn_files[colour] = fresh.pawn_files[colour];
        e.passed_files[colour] = fresh.passed_files[colour];
    }
}

} // namespace

void eval_pawn_structure(const board& b, eval_state& st) {
    const uint64_t pawns[2] = {b.piece_bits[BLACK][PAWN], b.piece_bits[WHITE][PAWN]};
    const bool cacheable = !(pawns[BLACK] & RANK_8);
    pawn_entry uncached;
    pawn_entry& e = cacheable ? pawn_slot(pawns[WHITE], pawns[BLACK]) : uncached;
    if (!cacheable || e.pawns[WHITE] != pawns[WHITE] || e.pawns[BLACK] != pawns[BLACK])
        fill_pawn_entry(b, pawns, e);
    st.open += e.open;
    st.end += e.end;
    for (int colour : {WHITE, BLACK}) {
        st.pawn_rows[colour] = e.pawn_rows[colour];
        st.pawn_files[colour] = e.pawn_files[colour];
        st.passed_files[colour] = e.passed_files[colour];
    }
}
