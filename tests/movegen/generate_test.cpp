// Generation order, the capture list and the legal filter.
#include <gtest/gtest.h>

#include <memory>
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
            if (m.promote) s += " PNBRQK"[m.promote];
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

// The quiescence search's capture list leaves en passant out.
TEST_F(MoveGen, EnPassant) {
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

TEST_F(MoveGen, LegalFilterInCheck) {
    // A knight gives check: only king moves to safe squares and the capture remain.
    b->set_position("4k3/8/8/8/8/5n2/8/R3K3 w - - 0 1");
    int n = ml->generate_legal_moves(*b, 2);
    EXPECT_EQ(ml->first[3] - ml->first[2], n);
    for (int i = ml->first[2]; i < ml->first[3]; i++) {
        ASSERT_TRUE(b->make_move(ml->moves[i]));
        b->unmake_move();
    }
    EXPECT_EQ(n, 4); // Kd1? no (f3 covers d2, e1 neighbours): e2, f1, f2 and d1
}
