#include <gtest/gtest.h>

#include <initializer_list>
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
        b->castled[WHITE] = b->castled[BLACK] = 0;
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
        for (int colour : {WHITE, BLACK}) added.tropism[colour] -= before.tropism[colour];
        return added;
    }

    bool passed(int colour, int file) const { return st.passed_files[colour] & (1 << file); }
};

TEST_F(Terms, DoubledAndIsolatedPawns) {
    // e2 and e4 with no White neighbour; the Black e7 pawn stops both from passing.
    pawns("4k3/4p3/8/8/4P3/8/4P3/4K3 w - - 0 1");
    const int placement_open = -24 + 10 + 24, placement_end = 1 + 10 - 1;
    EXPECT_EQ(st.open, placement_open - 10 /* doubled e4 */ - 2 * 10 + 10 /* isolated */);
    EXPECT_EQ(st.end, placement_end - 20 - 2 * 10 + 10);
    EXPECT_EQ(st.passed_files[WHITE] | st.passed_files[BLACK], 0);
}

TEST_F(Terms, BackwardPawnAndPassedBonusByRank) {
    // e3 lags behind d4; both are passed with no Black pawn on the board.
    pawns("4k3/8/8/8/3P4/4P3/8/4K3 w - - 0 1");
    EXPECT_EQ(st.open, 10 + 5 /* placement */ - 20 /* backward */ + 15 + 10 /* passed */);
    EXPECT_EQ(st.end, 10 + 5 - 10 + 45 + 30);
    EXPECT_EQ(st.passed_files[WHITE], 1 << 3 | 1 << 4);
}

TEST_F(Terms, PassedPawnsConsultTheRearmostEnemyOfNeighbourFiles) {
    pawns("4k3/8/1p6/P7/8/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(passed(WHITE, 0)) << "b6 still guards a5's path";
    pawns("4k3/8/8/Pp6/8/8/8/4K3 w - - 0 1");
    EXPECT_TRUE(passed(WHITE, 0)) << "level on b5";
    EXPECT_TRUE(passed(BLACK, 1)) << "and b5 is passed for Black the same way";
    pawns("4k3/8/8/P7/1p6/8/8/4K3 w - - 0 1");
    EXPECT_TRUE(passed(WHITE, 0));
    pawns("4k3/8/8/3P4/2p1p3/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(passed(WHITE, 3)) << "enemy pawns on both neighbour files";
    pawns("4k3/8/8/3P4/2p5/8/8/4K3 w - - 0 1");
    EXPECT_TRUE(passed(WHITE, 3));
    pawns("4k3/3p4/8/3P4/8/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(passed(WHITE, 3)) << "an enemy pawn on the file";
    pawns("4k3/8/8/8/7p/6P1/8/4K3 b - - 0 1");
    EXPECT_FALSE(passed(BLACK, 7));
    pawns("4k3/8/8/8/6Pp/8/8/4K3 b - - 0 1");
    EXPECT_TRUE(passed(BLACK, 7));
}

TEST_F(Terms, RookFilesAndPassedPawnSupport) {
    EXPECT_EQ(rooks("k7/8/8/8/8/8/8/4R2K w - - 0 1").open, 2 + 18);
    EXPECT_EQ(rooks("k7/4p3/8/8/8/8/8/4R2K w - - 0 1").open, 2 + 12);
    EXPECT_EQ(rooks("k7/4p3/8/8/8/4P3/8/4R2K w - - 0 1").open, 2);
    EXPECT_EQ(rooks("k7/8/8/4P3/8/8/8/4R2K w - - 0 1").end, 10);
    EXPECT_EQ(rooks("k3R3/8/8/4P3/8/8/8/7K w - - 0 1").end, 0) << "in front of the passer";
    EXPECT_EQ(rooks("k7/8/8/4P3/8/8/8/4r2K w - - 0 1").end, -10) << "Black rook behind it";
    EXPECT_EQ(rooks("k7/4r3/8/4P3/8/8/8/7K w - - 0 1").end, 0);
    EXPECT_EQ(rooks("k3r3/4p3/8/8/8/8/8/7K w - - 0 1").end, -10) << "behind a Black passer";
    // The open file leads to the Black king: king danger on top of closeness.
    eval_state d = rooks("4k3/8/8/8/8/8/8/4R2K w - - 0 1");
    EXPECT_EQ(d.tropism[WHITE], 4 + (14 - 7) / 2);
}

TEST_F(Terms, KingShelterOfEitherWing) {
    // Enemy material at the safety scale makes the safety term the shelter itself.
    auto king_open = [&](const char* fen, int enemy) {
        pawns(fen);
        st.open = 0;
        st.material_open[enemy] = 3100;
        eval_kings(*b, st);
        return st.open;
    };
    EXPECT_EQ(king_open("k7/8/8/8/8/8/5PPP/6K1 w - - 0 1", BLACK), 30 + 30);
    EXPECT_EQ(king_open("k7/8/8/8/8/6P1/5P2/6K1 w - - 0 1", BLACK), 30 + (10 + 5 - 10));
    EXPECT_EQ(king_open("k7/8/8/8/8/8/PP6/1K6 w - - 0 1", BLACK), 20 + (10 + 10 + 0));
    EXPECT_EQ(king_open("6k1/5ppp/8/8/8/8/8/K7 w - - 0 1", WHITE), -30 - 30);
    EXPECT_EQ(king_open("k7/8/8/8/8/8/8/4K3 w - - 0 1", BLACK), -10);
    EXPECT_EQ(king_open("k7/8/8/8/4P3/8/8/4K3 w - - 0 1", BLACK), 0);
    EXPECT_EQ(king_open("k7/8/8/8/8/8/8/4K2R w K - 0 1", BLACK), 25 - 10);
}

TEST_F(Terms, KingSafetyScalesWithEnemyMaterialAndTruncatesTowardZero) {
    pawns("k7/8/8/8/8/8/5PPP/6K1 w - - 0 1");
    st.open = st.end = 0;
    st.tropism[BLACK] = 40;
    st.material_open[BLACK] = 1000;
    st.material_end[BLACK] = 1000;
    eval_kings(*b, st);
    EXPECT_EQ(st.open, 30 + (30 - 40) * 1000 / 3100); // -3.2 becomes -3
    EXPECT_EQ(st.end, 10 - 40 * 1000 / 3250);
    // Without enemy material the shelter and the enemy's closeness count nothing.
    pawns("k7/8/8/8/8/8/8/6K1 w - - 0 1");
    st.open = st.end = 0;
    st.tropism[BLACK] = 40;
    eval_kings(*b, st);
    EXPECT_EQ(st.open, 30);
    EXPECT_EQ(st.end, 10);
}

TEST_F(Terms, CastlingRightsAndCastledKing) {
    auto king_open = [&](const char* fen, int castled) {
        pawns(fen);
        b->castled[WHITE] = castled;
        st.open = 0;
        eval_kings(*b, st);
        return st.open;
    };
    EXPECT_EQ(king_open("r3k3/8/8/8/8/8/8/4K2R w K - 0 1", 0), 25);
    EXPECT_EQ(king_open("3qk3/8/8/8/8/8/8/5RK1 w - - 0 1", 1), 30 + 10);
    EXPECT_EQ(king_open("4k3/8/8/8/8/8/8/5RK1 w - - 0 1", 1), 30) << "no queen to face";
}

TEST_F(Terms, MobilityCountsReachableSquares) {
    b->set_position("k7/8/8/8/8/8/8/N6K w - - 0 1");
    EXPECT_EQ(piece_mobility(*b, KNIGHT, A1, WHITE), 0); // two targets
    b->set_position("k7/8/8/8/3N4/8/8/7K w - - 0 1");
    EXPECT_EQ(piece_mobility(*b, KNIGHT, 35, WHITE), 8);
    b->set_position("k7/8/8/8/3B4/8/8/7K w - - 0 1");
    EXPECT_EQ(piece_mobility(*b, BISHOP, 35, WHITE), 7); // thirteen squares
    b->set_position("k7/8/5P2/8/3B4/8/1n6/7K w - - 0 1");
    EXPECT_EQ(piece_mobility(*b, BISHOP, 35, WHITE), 4) << "own f6 stops, enemy b2 counts: nine";
    b->set_position("8/8/8/8/8/2k5/8/N6K w - - 0 1");
    EXPECT_EQ(piece_mobility(*b, KNIGHT, A1, WHITE), 0) << "the enemy king's square counts";
    b->set_position("7k/8/8/8/8/8/P7/Rn5K w - - 0 1");
    EXPECT_EQ(piece_mobility(*b, ROOK, A1, WHITE), -2) << "own pawn blocks, enemy knight counts";
    EXPECT_EQ(piece_mobility(*b, QUEEN, A1, WHITE), 0);
}

TEST_F(Terms, BishopPatterns) {
    auto patterns = [&](const char* fen) {
        b->set_position(fen);
        st = eval_state{};
        eval_bishop_patterns(*b, st);
        return st;
    };
    EXPECT_EQ(patterns("4k3/8/8/8/8/8/1P1P4/2B1K3 w - - 0 1").open, -20);
    EXPECT_EQ(patterns("4k3/8/8/8/8/8/4P1P1/4KB2 w - - 0 1").open, -20);
    EXPECT_EQ(patterns("4k3/8/8/8/8/3B4/3P4/4K3 w - - 0 1").open, -200);
    EXPECT_EQ(patterns("4k3/4p3/4b3/8/8/8/8/4K3 w - - 0 1").open, 200);
    EXPECT_EQ(patterns("2b1k3/1p1p4/8/8/8/8/8/4K3 w - - 0 1").open, 20);
    eval_state pair = patterns("2b1kb2/8/8/8/8/8/8/2B1K3 w - - 0 1");
    EXPECT_EQ(pair.open, -30);
    EXPECT_EQ(pair.end, -30);
}

TEST_F(Terms, PlacementFollowsTheBoardAsWhiteSeesIt) {
    b->set_position("1n2k3/8/8/8/8/8/8/1N2K3 w - - 0 1");
    eval_knights(*b, st);
    EXPECT_EQ(st.open, 0);
    b->set_position("4k3/8/8/8/8/8/8/1N2K3 w - - 0 1");
    st = eval_state{};
    eval_knights(*b, st);
    EXPECT_EQ(st.open, -12);
    EXPECT_EQ(st.end, 0);
    EXPECT_EQ(st.tropism[WHITE], 14 - 3 - 7);
}

} // namespace
