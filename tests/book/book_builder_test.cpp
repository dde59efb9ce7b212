// Merging the records of a book being built: first-met order, the counts of
// a pair met again, and the limit on the number of pairs.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "book/book_builder.h"

namespace {

book_record record_of(uint64_t pair, uint16_t white, uint16_t black, uint16_t draws) {
    return {uint32_t(pair >> 32), uint32_t(pair), 1, white, black, draws};
}

// The i-th of a run of distinct pairs spread like real ones: the mix is a
// bijection, so no two numbers give the same pair.
uint64_t pair_number(uint64_t i) {
    uint64_t z = i * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

// Enough pairs for the index to grow several times; pairs met again, in
// another order, still find their records, and the all-zero pair is a pair
// like any other.
TEST(BookBuilder, PairsMetAgainFindTheirRecordsInFirstMetOrder) {
    std::vector<uint64_t> pairs;
    for (uint64_t i = 1; i <= 300000; i++) pairs.push_back(pair_number(i));
    pairs.insert(pairs.begin() + 1000, 0);
    book_builder builder;
    for (uint64_t p : pairs) builder.add_book_record(record_of(p, 1, 0, 0));
    for (size_t i = pairs.size(); i-- > 0;)
        builder.add_book_record(record_of(pairs[i], 0, i % 2, 1 - i % 2));
    ASSERT_EQ(builder.records.size(), pairs.size());
    for (size_t i = 0; i < pairs.size(); i++) {
        const book_record& r = builder.records[i];
        ASSERT_EQ(book_pair(r), pairs[i]) << i;
        ASSERT_EQ(r.games, 2) << i;
        ASSERT_EQ(r.white_wins, 1) << i;
        ASSERT_EQ(r.black_wins, i % 2) << i;
        ASSERT_EQ(r.draws, 1 - i % 2) << i;
    }
}

// A full book drops new pairs; the pairs it holds go on counting.
TEST(BookBuilder, AFullBookDropsNewPairsAndCountsOldOnes) {
    book_builder builder;
    for (uint64_t i = 0; i <= BOOK_CAPACITY; i++)
        builder.add_book_record(record_of(pair_number(i), 0, 0, 1));
    ASSERT_EQ(builder.records.size(), BOOK_CAPACITY);
    EXPECT_EQ(book_pair(builder.records.back()), pair_number(BOOK_CAPACITY - 1));
    builder.add_book_record(record_of(pair_number(BOOK_CAPACITY + 1), 1, 0, 0));
    builder.add_book_record(record_of(pair_number(0), 1, 0, 0));
    builder.add_book_record(record_of(pair_number(BOOK_CAPACITY - 1), 0, 1, 0));
    ASSERT_EQ(builder.records.size(), BOOK_CAPACITY);
    EXPECT_EQ(builder.records[0].games, 2);
    EXPECT_EQ(builder.records[0].white_wins, 1);
    EXPECT_EQ(builder.records.back().games, 2);
    EXPECT_EQ(builder.records.back().black_wins, 1);
}
