// Generation order, the capture list, the legal filters, the move lookup
// and the root sort.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "movegen/mlist.h"

namespace {

struct MoveGen : testing::Test {
    std::unique_ptr<board> b = std::make_unique<board>();
    std::unique_ptr<mlist> ml = std::make_unique<mlist>();

    std::string list(int ply) const {
        std::string s;
        for (int i = ml->first[ply]; i < ml->first[ply + 1]; i++) {
            const move m = ml->moves[i];
            s += square_names[m.from];
            s += square_names[m.to];
            if (m.promote) s += PIECE_LETTERS[m.promote];
            s += "/" + std::to_string(m.flags) + " ";
        }
        return s;
    }
};

} // namespace

TEST_F(MoveGen, StartPositionOrder) {
    b->set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1");
    EXPECT_EQ(ml->generate_moves(*b, 0), 20);
    EXPECT_EQ(ml->first[1], 20);
    EXPECT_EQ(list(0),
              "a2a3/2 a2a4/6 b2b3/2 b2b4/6 c2c3/2 c2c4/6 d2d3/2 d2d4/6 e2e3/2 e2e4/6 f2f3/2 "
              "f2f4/6 g2g3/2 g2g4/6 h2h3/2 h2h4/6 b1a3/0 b1c3/0 g1f3/0 g1h3/0 ");
    EXPECT_EQ(ml->generate_captures(*b, 0), 0);
    EXPECT_EQ(ml->first[1], ml->first[0]);
}

TEST_F(MoveGen, PromotionsAndCaptures) {
    b->set_position("r1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    ml->generate_moves(*b, 0);
    EXPECT_EQ(list(0).substr(0, 108), "b7b8Q/10 b7b8R/10 b7b8B/10 b7b8N/10 b7a8Q/11 b7a8R/11 "
                                      "b7a8B/11 b7a8N/11 b7c8Q/11 b7c8R/11 b7c8B/11 b7c8N/11 ");
    b->set_position("r1n5/1P6/8/8/8/8/8/k3K3 w - - 0 1");
    EXPECT_EQ(ml->generate_captures(*b, 0), 3);
    EXPECT_EQ(list(0), "b7b8Q/10 b7a8Q/11 b7c8Q/11 ");
}

TEST_F(MoveGen, PawnAdvancesAndEnPassant) {
    b->set_position("4k3/8/8/8/4p3/8/4P3/4K3 w - - 0 1");
    ml->generate_moves(*b, 0);
    EXPECT_EQ(list(0).substr(0, 7), "e2e3/2 ");
    EXPECT_EQ(list(0).find("e2e4"), std::string::npos);
    b->set_position("4k3/8/8/8/8/4p3/4P3/4K3 w - - 0 1");
    ml->generate_moves(*b, 0);
    EXPECT_EQ(list(0).find("e2"), std::string::npos);
    // An en passant square with no pawn that could have passed gives nothing.
    b->set_position("4k3/8/8/3P4/8/8/8/4K3 w - e6 0 1");
    ml->generate_moves(*b, 0);
    EXPECT_EQ(list(0).find("/35"), std::string::npos);
    b->set_position("4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1");
    ml->generate_moves(*b, 0);
    EXPECT_NE(list(0).find("d5e6/35"), std::string::npos);
    ml->generate_captures(*b, 0);
    EXPECT_EQ(list(0).find("/35"), std::string::npos);
}

TEST_F(MoveGen, KingsAreNeverTargets) {
    b->set_position("4k3/8/8/8/8/8/8/4RK2 w - - 0 1");
    ml->generate_moves(*b, 0);
    EXPECT_EQ(list(0).find("e1e8"), std::string::npos);
    EXPECT_NE(list(0).find("e1e7/0"), std::string::npos);
    EXPECT_EQ(ml->generate_captures(*b, 0), 0);
}

TEST_F(MoveGen, CastlingIsListedByRightsAlone) {
    b->set_position("rn2k2r/8/8/8/8/8/8/RN2KB1R w KQkq - 0 1");
    ml->generate_moves(*b, 0);
    EXPECT_NE(list(0).find("e1g1/16 e1c1/16 "), std::string::npos);
    EXPECT_FALSE(b->make_move(move{E1, G1, 0, FLAG_CASTLE}));
}

TEST_F(MoveGen, LegalFiltersAndCounts) {
    // A knight gives check: only king moves to safe squares and the capture remain.
    b->set_position("4k3/8/8/8/8/5n2/8/R3K3 w - - 0 1");
    int n = ml->generate_legal_moves(*b, 2);
    EXPECT_EQ(ml->first[3] - ml->first[2], n);
    for (int i = ml->first[2]; i < ml->first[3]; i++) {
        ASSERT_TRUE(b->make_move(ml->moves[i]));
        b->unmake_move();
    }
    EXPECT_EQ(n, 4); // Kd1? no (f3 covers d2, e1 neighbours): e2, f1, f2 and d1
    b->set_position("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(ml->count_legal_moves(*b), 0);
    b->set_position("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(ml->count_legal_moves(*b), 0);
}

TEST_F(MoveGen, FindMoveNeedsThePromotionPiece) {
    b->set_position("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    ml->first[0] = 0;
    ml->generate_moves(*b, 0);
    move m = no_move;
    EXPECT_EQ(ml->find_move(8, 0, 0, &m), -1);
    EXPECT_EQ(m, no_move);
    EXPECT_GE(ml->find_move(8, 0, QUEEN, &m), 0);
    EXPECT_EQ(m.flags, 0x0A);
}

TEST_F(MoveGen, RootSortIsStable) {
    b->set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1");
    ml->first[0] = 0;
    ml->first[1] = 4;
    const move a{1, 2, 0, 0}, bb{3, 4, 0, 0}, c{5, 6, 0, 0}, d{7, 8, 0, 0};
    const move in[4] = {a, bb, c, d};
    const int scores[4] = {5, 9, 9, 1};
    for (int i = 0; i < 4; i++) {
        ml->moves[i] = in[i];
        ml->scores[i] = scores[i];
    }
    ml->sort_root_moves();
    EXPECT_EQ(ml->moves[0], bb);
    EXPECT_EQ(ml->moves[1], c);
    EXPECT_EQ(ml->moves[2], a);
    EXPECT_EQ(ml->moves[3], d);
}

// The capture list is the full list cut down, in the same order: captures
// other than en passant and promotions to a queen. Random games from odd
// positions (pawns on the back rows, many queens, promotions both ways)
// compare the two lists at every position on the way.
TEST_F(MoveGen, CaptureListIsTheFullListCutDown) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/1P4P1/8/2pP4/8/8/1p4p1/R3K2R w KQkq c6 0 1",
        "P3k2p/1P3p2/8/2QQ4/4qq2/8/2P3p1/p3K2P w - - 0 1",
        "1n2k1n1/PPPP4/8/3q4/8/8/4pppp/1N2K1N1 b - - 0 1",
    };
    std::mt19937 rng(2417);
    int compared = 0;
    for (const char* fen : fens) {
        ASSERT_EQ(position_problem(fen), nullptr) << fen;
        b->set_position(fen);
        for (int ply = 0; ply < 120; ply++) {
            ml->first[0] = 0;
            const int n = ml->generate_moves(*b, 0);
            if (n == 0) break;
            std::string expected;
            for (int i = 0; i < n; i++) {
                const move m = ml->moves[i];
                const bool taken = (m.flags & FLAG_CAPTURE) && !(m.flags & FLAG_EP);
                if ((taken || m.promote) && (m.promote == 0 || m.promote == QUEEN))
                    expected += std::to_string(m.packed()) + " ";
            }
            const move chosen = ml->moves[rng() % n];
            ml->generate_captures(*b, 0);
            std::string got;
            for (int i = ml->first[0]; i < ml->first[1]; i++)
                got += std::to_string(ml->moves[i].packed()) + " ";
            ASSERT_EQ(got, expected) << fen << " ply " << ply;
            compared += !got.empty();
            b->make_move(chosen);
        }
    }
    EXPECT_GT(compared, 200);
}
