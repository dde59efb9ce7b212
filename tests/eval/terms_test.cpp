// The pawn and rook terms whose rules are easy to get one file off: passed
// pawns and rook files. The weights are pinned by the bench signature and
// the colour handling by the evaluation's symmetry tests.
#include <gtest/gtest.h>

#include <memory>

#include "eval/terms.h"
#include "eval/tropism.h"

namespace {

class Terms : public testing::Test {
  protected:
    static void SetUpTestSuite() { build_distance_tables(); }

    std::unique_ptr<board> b = std::make_unique<board>();
    eval_state st{};

    // The pawn summary and pawn terms of a position.
    void pawns(const char* fen) {
        b->set_position(fen);
        st = eval_state{};
        eval_pawn_files(*b, st);
        eval_pawns(*b, st);
    }

    // What the rook term alone adds after the pawn terms.
    eval_state rooks(const char* fen) {
        pawns(fen);
        const eval_state before = st;
        eval_rooks(*b, st);
        eval_state added = st;
        added.open -= before.open;
        added.end -= before.end;
        return added;
    }

    bool passed(int colour, int file) const { return st.passed_files[colour] & (1 << file); }
};

TEST_F(Terms, PassedPawnsConsultTheRearmostEnemyOfNeighbourFiles) {
    pawns("4k3/8/1p6/P7/8/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(passed(WHITE, 0)) << "b6 still guards a5's path";
    pawns("4k3/8/8/Pp6/8/8/8/4K3 w - - 0 1");
    EXPECT_TRUE(passed(WHITE, 0)) << "level on b5";
    EXPECT_TRUE(passed(BLACK, 1)) << "and b5 is passed for Black the same way";
    pawns("4k3/8/8/3P4/2p5/8/8/4K3 w - - 0 1");
    EXPECT_TRUE(passed(WHITE, 3)) << "an enemy pawn behind it";
    pawns("4k3/8/8/3P4/2p1p3/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(passed(WHITE, 3)) << "enemy pawns on both neighbour files never let it pass";
    pawns("4k3/3p4/8/3P4/8/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(passed(WHITE, 3)) << "an enemy pawn on the file";
    pawns("4k3/8/8/8/7p/6P1/8/4K3 b - - 0 1");
    EXPECT_FALSE(passed(BLACK, 7));
    pawns("4k3/8/8/8/6Pp/8/8/4K3 b - - 0 1");
    EXPECT_TRUE(passed(BLACK, 7));
}

TEST_F(Terms, RookFilesAndPassedPawnSupport) {
    const int open = rooks("k7/8/8/8/8/8/8/4R2K w - - 0 1").open;
    const int half_open = rooks("k7/4p3/8/8/8/8/8/4R2K w - - 0 1").open;
    const int closed = rooks("k7/4p3/8/8/8/4P3/8/4R2K w - - 0 1").open;
    EXPECT_GT(open, half_open);
    EXPECT_GT(half_open, closed);
    EXPECT_GT(rooks("k7/8/8/4P3/8/8/8/4R2K w - - 0 1").end, 0) << "behind the passer";
    EXPECT_EQ(rooks("k3R3/8/8/4P3/8/8/8/7K w - - 0 1").end, 0) << "in front of the passer";
    EXPECT_LT(rooks("k7/8/8/4P3/8/8/8/4r2K w - - 0 1").end, 0) << "Black rook behind it";
    EXPECT_LT(rooks("k3r3/4p3/8/8/8/8/8/7K w - - 0 1").end, 0) << "behind a Black passer";
}

} // namespace
