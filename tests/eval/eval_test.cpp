#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <random>
#include <string>

#include "eval/eval.h"
#include "eval/tropism.h"
#include "movegen/mlist.h"
#include "support/epd_counts.h"

namespace {

constexpr int FULL = 32767;
constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The colour-reversed mirror image: every piece on square XOR 56 with the
// other colour, rights and castled flags swapped, the other side to move.
// Slots are copied one for one, so terms that read pieces in slot order
// (the rook finding the first pawn of a file) meet the same pieces in the
// same order; a mirror rebuilt from a FEN could differ with doubled pawns.
void mirror_into(const board& src, board& dst) {
    dst.clear();
    for (int colour : {WHITE, BLACK}) {
        const piece_table& from = src.pieces_of(colour);
        piece_table& to = dst.pieces_of(colour ^ 1);
        for (int type = PAWN; type <= KING; type++) {
            to[COUNT_ROW][type] = from[COUNT_ROW][type];
            for (int slot = 0; slot < PIECE_SLOTS; slot++) {
                const int s = from[type][slot];
                to[type][slot] = s == NO_SQUARE ? NO_SQUARE : s ^ 56;
                if (s == NO_SQUARE) continue;
                dst.squares[s ^ 56].piece = int8_t(type);
                dst.squares[s ^ 56].colour = uint8_t(colour ^ 1);
            }
        }
    }
    dst.side_to_move = src.side_to_move ^ 1;
    dst.castle_rights = (src.castle_rights & 3) << 2 | src.castle_rights >> 2;
    dst.castled[WHITE] = src.castled[BLACK];
    dst.castled[BLACK] = src.castled[WHITE];
    dst.ep_square = src.ep_square == NO_SQUARE ? NO_SQUARE : src.ep_square ^ 56;
    dst.compute_key();
}

class Evaluate : public testing::Test {
  protected:
    static void SetUpTestSuite() { build_distance_tables(); }

    std::unique_ptr<board> b = std::make_unique<board>();
    std::unique_ptr<board> mirrored = std::make_unique<board>();
    std::unique_ptr<mlist> ml = std::make_unique<mlist>();
    eval e;

    int score(const char* fen, int alpha = -FULL, int beta = FULL) {
        b->set_position(fen);
        b->castled[WHITE] = b->castled[BLACK] = 0;
        return e.evaluate(*b, alpha, beta);
    }

    int score_with_side(int side) {
        const int saved = b->side_to_move;
        b->side_to_move = side;
        const int s = e.evaluate(*b, -FULL, FULL);
        b->side_to_move = saved;
        return s;
    }

    // The position and its mirror agree, and the other side to move sees
    // exactly the negated score.
    void expect_symmetric(const std::string& where) {
        mirror_into(*b, *mirrored);
        const int s = e.evaluate(*b, -FULL, FULL);
        ASSERT_EQ(s, e.evaluate(*mirrored, -FULL, FULL)) << where;
        ASSERT_EQ(score_with_side(WHITE), -score_with_side(BLACK)) << where;
    }

    // A few legal moves at random, checking every position on the way.
    void random_walk(std::mt19937& rng, int plies, const std::string& fen) {
        for (int ply = 0; ply < plies; ply++) {
            if (ml->generate_legal_moves(*b, 0) == 0) return;
            ASSERT_TRUE(b->make_move(ml->moves[rng() % ml->count(0)]));
            expect_symmetric(fen + " after ply " + std::to_string(ply + 1));
        }
    }
};

TEST_F(Evaluate, MaterialThatCannotMateIsDrawn) {
    for (const char* fen : {"8/8/4k3/8/8/3NK3/8/8 w - - 0 1", "8/8/4k3/8/8/2NNK3/8/8 b - - 0 1",
                            "8/2n5/4k3/8/8/3BK3/8/8 w - - 0 1", "8/8/4k3/8/8/4K3/8/8 b - - 0 1"}) {
        EXPECT_EQ(score(fen), 0) << fen;
        b->side_to_move ^= 1;
        EXPECT_EQ(e.evaluate(*b, -FULL, FULL), 0) << fen;
    }
    for (const char* fen : {"8/8/4k3/8/8/2BNK3/8/8 w - - 0 1", "8/8/4k3/8/8/3RK3/8/8 w - - 0 1",
                            "8/8/4k3/8/8/3PK3/8/8 w - - 0 1", "8/8/4k3/8/8/1BBNK3/8/8 w - - 0 1"})
        EXPECT_NE(score(fen), 0) << fen;
}

// The start position's material and pawns score 0, so a window at 1000
// leaves the first exit's bound; the margin test is inclusive.
TEST_F(Evaluate, FirstLazyExitReturnsTheBound) {
    EXPECT_EQ(score(START, 350, 351), 350);
    EXPECT_EQ(score(START, -351, -350), -350);
    EXPECT_EQ(score(START, 349, 351), 0);
    EXPECT_EQ(score(START, -351, -349), 0);
}

TEST_F(Evaluate, EveryReferencePositionMatchesItsMirror) {
    auto cases = read_perft_cases(KORVEL_DATA_DIR "/perft.epd");
    ASSERT_FALSE(cases.empty());
    for (const perft_case& c : cases) {
        b->set_position(c.fen.c_str());
        b->castled[WHITE] = b->castled[BLACK] = 0;
        expect_symmetric(c.fen);
    }
}

// Random play reaches castled kings, promotions, doubled pawns and piece
// tables whose slots are no longer in board order.
TEST_F(Evaluate, RandomGamesMatchTheirMirrors) {
    std::mt19937 rng(20240611);
    auto cases = read_perft_cases(KORVEL_DATA_DIR "/perft.epd");
    for (int game = 0; game < 4; game++) {
        for (const perft_case& c : cases) {
            b->set_position(c.fen.c_str());
            b->castled[WHITE] = b->castled[BLACK] = 0;
            random_walk(rng, 60, c.fen);
        }
    }
}

} // namespace
