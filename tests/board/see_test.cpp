#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "board/make_move.h"
#include "movegen/mlist.h"
#include "support/board_snapshot.h"
#include "support/test_data.h"

namespace {

constexpr int D5 = 27;
constexpr int VALUE[KING + 1] = {0, 100, 300, 300, 500, 900, 10000};

class StaticExchange : public testing::Test {
  protected:
    std::unique_ptr<board> b = std::make_unique<board>();

    int see(const char* fen, int square) {
        b->set_position(fen);
        return b->see(square);
    }

    // The values of the colour's attackers that the exchange counts,
    // cheapest first.
    std::vector<int> collect(const char* fen, int square, int colour) {
        b->set_position(fen);
        int found[KING + 1];
        const int total = b->count_attackers(square, colour, found);
        std::vector<int> values;
        for (int type = EMPTY; type <= KING; type++)
            values.insert(values.end(), found[type], VALUE[type]);
        EXPECT_EQ(int(values.size()), total) << fen;
        return values;
    }
};

TEST_F(StaticExchange, WorkedExamples) {
    // Knight on d5 attacked by a pawn and a rook, defended by a pawn...
    EXPECT_EQ(see("3r3k/8/4p3/3N4/4P3/8/8/7K w - - 0 1", D5), -300);
    // ...and by a rook behind it as well.
    EXPECT_EQ(see("3r3k/8/4p3/3N4/4P3/8/8/3R3K w - - 0 1", D5), -700);
    EXPECT_EQ(see("7k/8/4n3/8/3R4/8/8/7K w - - 0 1", 35), -500);
}

TEST_F(StaticExchange, UnattackedSquaresCostNothing) {
    EXPECT_EQ(see("7k/8/8/3Q4/8/8/8/7K w - - 0 1", D5), 0);
    EXPECT_EQ(see("7k/8/8/8/8/8/8/7K w - - 0 1", D5), 0);
    EXPECT_EQ(see("7k/8/4p3/8/8/8/8/7K w - - 0 1", D5), 0) << "empty but attacked";
    EXPECT_EQ(see("7k/8/4p3/3P4/8/8/8/7K w - - 0 1", D5), -100);
}

TEST_F(StaticExchange, RayWalkRecordsOneAttackerPerDirection) {
    EXPECT_EQ(collect("7k/8/8/8/8/8/3Q4/3R3K w - - 0 1", D5, WHITE), std::vector<int>{900})
        << "the rook behind the queen is not counted";
    EXPECT_EQ(collect("7k/8/8/8/3P4/8/8/3R3K w - - 0 1", D5, WHITE), std::vector<int>{500})
        << "an own pawn on the file is looked through";
    EXPECT_EQ(collect("7k/8/8/8/3n4/8/8/3R3K w - - 0 1", D5, WHITE), std::vector<int>{})
        << "an enemy piece ends the direction";
    EXPECT_EQ(collect("7k/8/8/8/3B4/8/8/3R3K w - - 0 1", D5, WHITE), std::vector<int>{500})
        << "a bishop on a file is looked through";
    EXPECT_EQ(collect("7k/8/8/8/3K4/8/8/8 w - - 0 1", D5, WHITE), std::vector<int>{10000});
    EXPECT_EQ(collect("7k/8/8/8/8/3K4/8/3R4 w - - 0 1", D5, WHITE), std::vector<int>{500})
        << "a king two steps away is looked through";
}

TEST_F(StaticExchange, PawnsAndKnightsBySide) {
    EXPECT_EQ(collect("7k/8/8/8/2P1P3/8/8/7K w - - 0 1", D5, WHITE), (std::vector<int>{100, 100}));
    EXPECT_EQ(collect("7k/8/8/8/2P1P3/8/8/7K w - - 0 1", D5, BLACK), std::vector<int>{});
    EXPECT_EQ(collect("7k/8/2p1p3/8/8/8/8/7K w - - 0 1", D5, BLACK), (std::vector<int>{100, 100}));
    EXPECT_EQ(collect("7k/8/2p1p3/8/8/8/8/7K w - - 0 1", D5, WHITE), std::vector<int>{});
    EXPECT_EQ(collect("7k/3q4/1n6/8/2p5/8/8/7K w - - 0 1", D5, BLACK), (std::vector<int>{300, 900}))
        << "a Black pawn below the square does not bear on it";
}

// Eight ray attackers, eight knights and two pawns: the most there can be.
TEST_F(StaticExchange, EighteenAttackersAreCounted) {
    const char* crowded = "7k/1QN1NQ2/1N1K1N2/Q6R/1NP1PN2/1BN1NB2/8/3R4 b - - 0 1";
    std::vector<int> expected = {100, 100};
    expected.insert(expected.end(), 10, 300);
    expected.insert(expected.end(), {500, 500, 900, 900, 900, 10000});
    EXPECT_EQ(collect(crowded, D5, WHITE), expected);
    EXPECT_EQ(see(crowded, D5), 0);
}

class LightMake : public testing::Test {
  protected:
    std::unique_ptr<board> b = std::make_unique<board>();
    std::unique_ptr<mlist> ml = std::make_unique<mlist>();

    // The light make agrees with the full make on legality and on the
    // position reached, except for the key and the en passant square.
    void compare_with_full_make(move m, const std::string& where) {
        const snapshot before(*b);
        const bool legal = b->make_move(m);
        const snapshot full(*b);
        if (legal) b->unmake_move();
        ASSERT_EQ(b->make_light(m), legal) << where;
        if (!legal) return;
        ASSERT_TRUE(snapshot(*b).same_position(full)) << where;
        ASSERT_EQ(b->key, before.key) << where;
        ASSERT_EQ(b->ep_square, NO_SQUARE) << where;
        b->unmake_light();
    }

    // Light makes nested as the quiescence search plays them: captures on
    // captures. Below the first light make the key is stale, so the full
    // make (which checks it) is not played there.
    void light_walk(int ply, int depth, const std::string& fen) {
        ml->generate_captures(*b, ply);
        for (int i = ml->first[ply]; i < ml->first[ply + 1]; i++) {
            const snapshot before(*b);
            if (b->make_light(ml->moves[i])) {
                ASSERT_EQ(b->key, before.key) << fen;
                if (ply + 1 < depth) light_walk(ply + 1, depth, fen);
                b->unmake_light();
            }
            ASSERT_TRUE(snapshot(*b) == before) << fen << " ply " << ply;
        }
    }
};

TEST_F(LightMake, MatchesTheFullMakeAndRestoresEveryField) {
    auto cases = read_perft_cases();
    if (cases.empty()) return; // the reader has said why
    for (const perft_case& c : cases) {
        b->set_position(c.fen.c_str());
        ml->generate_moves(*b, 0);
        for (int i = ml->first[0]; i < ml->first[1]; i++) {
            const move m = ml->moves[i];
            if (m.flags & FLAG_CASTLE) continue;
            const snapshot before(*b);
            compare_with_full_make(m, c.fen + " " + square_names[m.from] + square_names[m.to]);
            ASSERT_TRUE(snapshot(*b) == before) << c.fen;
        }
        light_walk(1, 4, c.fen);
    }
}

TEST_F(LightMake, RefusesCastlingAndLeavesNoEnPassantSquare) {
    b->set_position("r3k2r/8/8/8/8/8/4P3/R3K2R w KQkq - 0 1");
    const snapshot before(*b);
    EXPECT_FALSE(b->make_light(move{E1, G1, 0, FLAG_CASTLE}));
    EXPECT_TRUE(snapshot(*b) == before);
    ASSERT_TRUE(b->make_light(move{52, 36, 0, FLAG_PAWN | FLAG_DOUBLE}));
    EXPECT_EQ(b->ep_square, NO_SQUARE);
    EXPECT_EQ(b->key, before.key);
    b->unmake_light();
    EXPECT_TRUE(snapshot(*b) == before);
}

TEST_F(LightMake, RookCaptureOnItsHomeSquareDropsTheRight) {
    b->set_position("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    ASSERT_TRUE(b->make_light(move{A1, A8, 0, FLAG_CAPTURE}));
    EXPECT_EQ(b->castle_rights, 1 | 4);
    b->unmake_light();
    EXPECT_EQ(b->castle_rights, 15);
}

#ifdef KORVEL_CHECKS
// A checked build stops at the first light make or take-back after which the
// board's views of the position disagree: here the Black king's slot.
TEST_F(LightMake, CheckedBuildsStopWhereTheViewsDisagree) {
    b->set_position("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1");
    const move takes{36, 27, 0, FLAG_CAPTURE | FLAG_PAWN};
    b->slot_of[E8] = 1;
    EXPECT_DEATH(b->make_light(takes), "board_ok");
    b->slot_of[E8] = 0;
    ASSERT_TRUE(b->make_light(takes));
    b->slot_of[E8] = 1;
    EXPECT_DEATH(b->unmake_light(), "board_ok");
}
#endif

} // namespace
