#include <gtest/gtest.h>

#include <cstdlib>

#include "search/tt.h"

namespace {

constexpr uint64_t KEY = 0x0123456789abcdefULL;
// Same slot as KEY in any table, different position.
constexpr uint64_t OTHER_KEY = KEY ^ 0xffff000000000000ULL;
constexpr move MOVE_A = {12, 28, 0, 0x06};
constexpr move MOVE_B = {62, 45, 0, 0x00};

// A small cleared table for each test.
class TranspositionTable : public testing::Test {
  protected:
    void SetUp() override {
        tt_allocate(1);
        tt_clear();
    }
};

} // namespace

TEST(TranspositionTableSize, LargestPowerOfTwoNotAboveTheSize) {
    EXPECT_EQ(tt_size_for(16), 1u << 20);
    EXPECT_EQ(tt_size_for(24), 1u << 20);
    EXPECT_EQ(tt_size_for(100), 1u << 22);
    EXPECT_EQ(tt_size_for(1), 65536u);
    EXPECT_EQ(tt_size_for(0), 1u);
    EXPECT_EQ(tt_size_for(4095), 1u << 27);
    // Sizes the 32-bit rule would wrap, and negative ones, are clamped.
    EXPECT_EQ(tt_size_for(4096), 1u << 27);
    EXPECT_EQ(tt_size_for(100000), 1u << 27);
    EXPECT_EQ(tt_size_for(-5), 1u);
}

TEST(TranspositionTableSize, AllocationGivesThatManyEmptySlots) {
    tt_allocate(16);
    EXPECT_EQ(tt_count(), 1u << 20);
    EXPECT_FALSE(tt_probe(KEY, 0, 0).hit);
    tt_allocate(0);
    ASSERT_EQ(tt_count(), 1u);
    tt_store(0, 10, 3, KEY, BOUND_EXACT, MOVE_A);
    EXPECT_EQ(tt_probe(KEY, 3, 0).score, 10);
    EXPECT_EQ(tt_move(OTHER_KEY ^ 0x5555), no_move);
}

// Runs in a fresh process, where nothing has allocated the table yet.
TEST(TranspositionTableSize, CallsBeforeAllocationAreHarmless) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            tt_store(0, 10, 3, KEY, BOUND_EXACT, MOVE_A);
            tt_next_age();
            tt_clear();
            const bool quiet = tt_count() == 0 && !tt_probe(KEY, 0, 0).hit &&
                               tt_probe(KEY, 0, 0).best == no_move && tt_move(KEY) == no_move;
            exit(quiet ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(TranspositionTable, ProbeMissesOtherPositionsAndShallowEntries) {
    tt_store(0, 55, 4, KEY, BOUND_LOWER, MOVE_A);
    tt_result r = tt_probe(OTHER_KEY, 0, 0);
    EXPECT_FALSE(r.hit);
    EXPECT_EQ(r.best, no_move);
    EXPECT_EQ(tt_move(OTHER_KEY), no_move);

    r = tt_probe(KEY, 5, 0);
    EXPECT_FALSE(r.hit);
    EXPECT_EQ(r.best, MOVE_A); // the move still serves ordering

    r = tt_probe(KEY, 4, 0);
    EXPECT_TRUE(r.hit);
    EXPECT_EQ(r.score, 55);
    EXPECT_EQ(r.bound, BOUND_LOWER);
    EXPECT_EQ(tt_move(KEY), MOVE_A);
}

TEST_F(TranspositionTable, MateScoresAreStoredRelativeToTheNode) {
    struct {
        int store_ply, score, stored, probe_ply, probed;
    } const cases[] = {
        {5, 32000, 32005, 3, 32002},    {7, 2999, 2999, 2, 2999},    {4, -3001, -3005, 1, -3004},
        {4, -3000, -3000, 9, -3000},    {5, 32767, 32767, 0, 32767}, // never wraps
        {5, -32767, -32767, 0, -32767},
    };
    for (const auto& c : cases) {
        tt_clear();
        tt_store(c.store_ply, c.score, 1, KEY, BOUND_EXACT, no_move);
        EXPECT_EQ(tt_probe(KEY, 0, 0).score, c.stored) << c.score;
        EXPECT_EQ(tt_probe(KEY, 0, c.probe_ply).score, c.probed) << c.score;
    }
}

TEST_F(TranspositionTable, DepthsOutsideTheInfoFieldAreClamped) {
    tt_store(0, 1, -1, KEY, BOUND_UPPER, no_move);
    EXPECT_TRUE(tt_probe(KEY, 0, 0).hit);
    EXPECT_FALSE(tt_probe(KEY, 1, 0).hit);
    tt_store(0, 1, 300, KEY, BOUND_UPPER, no_move);
    EXPECT_TRUE(tt_probe(KEY, 255, 0).hit);
}

TEST_F(TranspositionTable, SameAgeKeepsDeeperAndTighterEntries) {
    tt_next_age();
    tt_store(0, 100, 6, KEY, BOUND_LOWER, no_move);

    tt_store(0, 200, 6, KEY, BOUND_UPPER, MOVE_A); // looser bound: only the move is filled in
    tt_result r = tt_probe(KEY, 6, 0);
    EXPECT_EQ(r.score, 100);
    EXPECT_EQ(r.bound, BOUND_LOWER);
    EXPECT_EQ(r.best, MOVE_A);

    tt_store(0, 300, 6, KEY, BOUND_UPPER, MOVE_B); // the move is kept once set
    EXPECT_EQ(tt_move(KEY), MOVE_A);
    tt_store(0, 300, 5, KEY, BOUND_EXACT, MOVE_B); // shallower
    EXPECT_EQ(tt_probe(KEY, 5, 0).score, 100);
    tt_store(0, 300, 2, OTHER_KEY, BOUND_EXACT, MOVE_B); // another position, shallower
    EXPECT_EQ(tt_move(KEY), MOVE_A);

    tt_store(0, 400, 6, KEY, BOUND_LOWER, no_move); // replaces, erasing the move
    r = tt_probe(KEY, 6, 0);
    EXPECT_EQ(r.score, 400);
    EXPECT_EQ(r.best, no_move);
}

TEST_F(TranspositionTable, AnOlderGenerationAlwaysYields) {
    tt_next_age();
    tt_store(0, 100, 10, KEY, BOUND_EXACT, MOVE_A);
    tt_next_age();
    tt_store(0, -20, 1, OTHER_KEY, BOUND_UPPER, MOVE_B);
    EXPECT_FALSE(tt_probe(KEY, 0, 0).hit);
    tt_result r = tt_probe(OTHER_KEY, 1, 0);
    EXPECT_TRUE(r.hit);
    EXPECT_EQ(r.score, -20);
    EXPECT_EQ(r.bound, BOUND_UPPER);
    EXPECT_EQ(r.best, MOVE_B);
}

TEST_F(TranspositionTable, AgesRunOneToFifteenAfterAClear) {
    EXPECT_EQ(tt_age(), 0);
    for (int expected = 1; expected <= 15; expected++) {
        tt_next_age();
        EXPECT_EQ(tt_age(), expected);
    }
    tt_next_age();
    EXPECT_EQ(tt_age(), 1);
    tt_store(0, 7, 3, KEY, BOUND_EXACT, MOVE_A);
    tt_clear();
    EXPECT_EQ(tt_age(), 0);
    EXPECT_EQ(tt_move(KEY), no_move);
}
