// Answers of one build on many random positions, one line per question, so
// that a speed change can be checked line for line against the build before
// it: the evaluation, the static exchange on every square, perft counts and
// a fixed-depth search with a fresh table. The positions come from random
// games from the start and from random placements that the set-up accepts,
// odd ones included (pawns on the back ranks, many queens, promotions due).
//
//   compare_builds [positions] [seed]
//
// Built in both trees from this one file, the two outputs must be equal.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "board/key_table.h"
#include "eval/tropism.h"
#include "movegen/perft.h"
#include "search/search.h"
#include "search/tt.h"

namespace {

constexpr int DEFAULT_POSITIONS = 2000;
constexpr unsigned DEFAULT_SEED = 24;
constexpr int PERFT_DEPTH = 3;
constexpr int SEARCH_DEPTH = 5;
constexpr int HASH_MB = 16;
constexpr int MAX_WALK_PLIES = 120;
constexpr int MAX_PLACED = 24; // pieces besides the kings

constexpr char START_FEN[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr char WHITE_LETTERS[] = " PNBRQK";
constexpr char BLACK_LETTERS[] = " pnbrqk";

std::string fen_of(const board& b) {
    std::string fen;
    for (int row = 0; row < 8; row++) {
        int gap = 0;
        for (int file = 0; file < 8; file++) {
            const square_node& n = b.squares[row * 8 + file];
            if (n.piece == EMPTY) {
                gap++;
                continue;
            }
            if (gap) fen += char('0' + gap);
            gap = 0;
            fen += (n.colour == WHITE ? WHITE_LETTERS : BLACK_LETTERS)[n.piece];
        }
        if (gap) fen += char('0' + gap);
        if (row < 7) fen += '/';
    }
    fen += b.side_to_move == WHITE ? " w " : " b ";
    const char* rights = "KQkq";
    std::string castling;
    for (int i = 0; i < 4; i++)
        if (b.castle_rights & (1 << i)) castling += rights[i];
    fen += castling.empty() ? "-" : castling;
    fen += ' ';
    fen += b.ep_square == NO_SQUARE ? "-" : square_names[b.ep_square];
    return fen + " 0 1";
}

// A random game from the start, stopped at a random ply or when it ends.
void random_game(board& b, mlist& ml, std::mt19937& rng) {
    b.set_position(START_FEN);
    const int plies = int(rng() % MAX_WALK_PLIES);
    for (int ply = 0; ply < plies; ply++) {
        const int n = ml.generate_moves(b, 0);
        bool made = false;
        for (int tries = 0; tries < 2 * n && !made; tries++)
            made = b.make_move(ml.moves[ml.first[0] + int(rng() % n)]);
        if (!made) return;
    }
}

// Two kings and random pieces anywhere, pawns on any row; the side not to
// move is never in check.
bool random_placement(board& b, std::mt19937& rng) {
    const char* letters = "PNBRQpnbrqPPppQq";
    char cells[64];
    for (char& c : cells) c = '1';
    cells[rng() % 64] = 'K';
    int black_king;
    do black_king = int(rng() % 64);
    while (cells[black_king] != '1');
    cells[black_king] = 'k';
    const int placed = int(rng() % MAX_PLACED);
    for (int i = 0; i < placed; i++) {
        const int s = int(rng() % 64);
        if (cells[s] == '1') cells[s] = letters[rng() % 16];
    }
    std::string fen;
    for (int s = 0; s < 64; s++) {
        fen += cells[s];
        if (s % 8 == 7 && s < 63) fen += '/';
    }
    fen += rng() % 2 ? " w - - 0 1" : " b - - 0 1";
    if (position_problem(fen.c_str())) return false;
    b.set_position(fen.c_str());
    const int other = b.side_to_move ^ 1;
    return !b.is_attacked(b.king_square(other), other ^ 1);
}

void answer(board& b, mlist& ml, const eval& ev, search& s, int index) {
    const std::string fen = fen_of(b);
    printf("%d %s\n", index, fen.c_str());
    printf("%d eval %d\n", index, ev.evaluate(b, -MATE, MATE));
    printf("%d see", index);
    for (int sq = 0; sq < 64; sq++) printf(" %d", b.see(sq));
    printf("\n%d perft", index);
    for (int64_t& c : perft_counts) c = 0;
    ml.first[0] = 0;
    ml.top = 0;
    perft_walk(ml, b, PERFT_DEPTH, 0);
    for (int d = 0; d < PERFT_DEPTH; d++) printf(" %" PRId64, perft_counts[d]);
    tt_clear();
    s.reset_search();
    s.search_mode = MODE_DEPTH;
    s.max_depth = SEARCH_DEPTH;
    s.show_thinking = 0;
    const int score = s.think();
    printf("\n%d search %d nodes %" PRId64 " pv", index, score, s.nodes);
    for (int i = 0; i < PV_LENGTH && s.pv[i] != no_move; i++) {
        const move m = s.pv[i];
        printf(" %s%s", square_names[m.from], square_names[m.to]);
        if (m.promote) printf("%c", WHITE_LETTERS[m.promote]);
    }
    printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    const int positions = argc > 1 ? atoi(argv[1]) : DEFAULT_POSITIONS;
    std::mt19937 rng(argc > 2 ? unsigned(atoi(argv[2])) : DEFAULT_SEED);
    init_key_table();
    build_distance_tables();
    tt_allocate(HASH_MB);
    auto b = std::make_unique<board>();
    auto ml = std::make_unique<mlist>();
    auto ev = std::make_unique<eval>();
    auto s = std::make_unique<search>();
    s->attach(*b, *ml, *ev);
    for (int i = 0; i < positions; i++) {
        if (i % 2 == 0)
            random_game(*b, *ml, rng);
        else
            while (!random_placement(*b, rng)) {}
        const std::string fen = fen_of(*b);
        b->set_position(fen.c_str()); // a fresh history, as the set-up commands leave it
        answer(*b, *ml, *ev, *s, i);
    }
    return 0;
}
