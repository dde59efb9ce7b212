// The book file: its byte layout, opening odd files, lookups and the
// weighted choice at the root.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "book/book.h"
#include "book/book_builder.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";
constexpr int E2 = 52, E4 = 36, D2 = 51, D4 = 35, F3 = 45, E7 = 12, E5 = 28, C7 = 10, C5 = 26;
constexpr int PICKS = 20000;

void encode_into(bytes& content, size_t index, const book_record& r) {
    uint8_t one[BOOK_RECORD_BYTES];
    encode_record(r, one);
    std::copy(one, one + BOOK_RECORD_BYTES, content.begin() + index * BOOK_RECORD_BYTES);
}

class BookFile : public testing::Test {
  protected:
    std::string dir;
    board b;
    mlist lists;
    hash book;

    void SetUp() override {
        char tmpl[] = "/tmp/korvel-book-XXXXXX";
        dir = mkdtemp(tmpl);
        book.file_name = path_storage.assign(dir + "/book.bin").c_str();
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir + "'";
        EXPECT_EQ(system(cmd.c_str()), 0);
    }

    void write_file(const bytes& content) {
        FILE* f = fopen(book.file_name, "wb");
        ASSERT_TRUE(f);
        if (!content.empty()) fwrite(content.data(), 1, content.size(), f);
        fclose(f);
    }

    bytes read_file() {
        bytes content;
        FILE* f = fopen(book.file_name, "rb");
        if (!f) return content;
        for (int c; (c = fgetc(f)) != EOF;) content.push_back(uint8_t(c));
        fclose(f);
        return content;
    }

    book_record record_at(const char* fen, int from, int to, int white, int black, int draws) {
        b.set_position(fen);
        return {book_key_low(b.key),
                book_move_key(b.key, from, to),
                1,
                uint16_t(white),
                uint16_t(black),
                uint16_t(draws)};
    }

    void write_records(const std::vector<book_record>& records) {
        book_builder builder;
        for (const book_record& r : records) builder.add_book_record(r);
        ASSERT_EQ(builder.write_book(book.file_name, book.file_name), int(records.size()));
    }

    // How often each target square is chosen from the position.
    std::vector<int> pick_counts(const char* fen, int* misses) {
        std::vector<int> counts(64, 0);
        b.set_position(fen);
        lists.generate_legal_moves(b, 0);
        srand(1);
        for (int i = 0; i < PICKS; i++) {
            move m = no_move;
            if (book.book_pick(b, lists, *misses, &m)) counts[m.to]++;
        }
        return counts;
    }

    // Open with its output captured.
    std::string open_book() {
        testing::internal::CaptureStdout();
        book.book_open();
        return testing::internal::GetCapturedStdout();
    }

  private:
    std::string path_storage;
};

} // namespace

TEST_F(BookFile, RecordLayoutIsLittleEndianSixteenBytes) {
    const book_record r = {0x04030201, 0x08070605, 0x0a09, 0x0c0b, 0x0e0d, 0x100f};
    uint8_t out[BOOK_RECORD_BYTES];
    encode_record(r, out);
    for (int i = 0; i < BOOK_RECORD_BYTES; i++) EXPECT_EQ(out[i], i + 1) << i;
    const book_record back = decode_record(out);
    EXPECT_EQ(back.key_low, r.key_low);
    EXPECT_EQ(back.move_key, r.move_key);
    EXPECT_EQ(back.games, r.games);
    EXPECT_EQ(back.white_wins, r.white_wins);
    EXPECT_EQ(back.black_wins, r.black_wins);
    EXPECT_EQ(back.draws, r.draws);
}

// Stored books hold these bytes: they change only if the keys change.
TEST_F(BookFile, ThreeRecordBookIsWrittenByteForByte) {
    write_records({record_at(START, E2, E4, 20, 3, 10), record_at(START, D2, D4, 4, 0, 6),
                   record_at(START, G1, F3, 0, 9, 0)});
    b.set_position(START);
    const uint32_t low = uint32_t(b.key), high = uint32_t(b.key >> 32) & 0xFFFFF;
    const uint32_t words[3] = {(E2 * 64u + E4) << 20 | high, (D2 * 64u + D4) << 20 | high,
                               (G1 * 64u + F3) << 20 | high};
    const uint16_t counts[3][4] = {{1, 20, 3, 10}, {1, 4, 0, 6}, {1, 0, 9, 0}};
    bytes expected;
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; i++) expected.push_back(uint8_t(v >> (8 * i)));
    };
    for (int i = 0; i < 3; i++) {
        put(low, 4);
        put(words[i], 4);
        for (uint16_t c : counts[i]) put(c, 2);
    }
    const bytes file = read_file();
    ASSERT_EQ(file, expected);
    // The record of 1. e4 from the start position, literally.
    const bytes e4 = {0x2b, 0x5d, 0x28, 0xf3, 0x53, 0xba, 0x4b, 0xd2,
                      0x01, 0x00, 0x14, 0x00, 0x03, 0x00, 0x0a, 0x00};
    EXPECT_EQ(bytes(file.begin(), file.begin() + BOOK_RECORD_BYTES), e4);
}

TEST_F(BookFile, WeightsFollowTheResultsOfTheSideToMove) {
    // White: weights 30, 10 and 0 give 75 and 25 percent, and never the third.
    write_records({record_at(START, E2, E4, 20, 3, 10), record_at(START, D2, D4, 4, 0, 6),
                   record_at(START, G1, F3, 0, 9, 0),
                   // Black: weight 3 (5 White wins do not count) against 1.
                   record_at(AFTER_E4, E7, E5, 5, 2, 1), record_at(AFTER_E4, C7, C5, 0, 1, 0)});
    int misses = 0;
    std::vector<int> white = pick_counts(START, &misses);
    EXPECT_NEAR(white[E4] / double(PICKS), 0.75, 0.02);
    EXPECT_NEAR(white[D4] / double(PICKS), 0.25, 0.02);
    EXPECT_EQ(white[F3], 0);
    EXPECT_EQ(white[E4] + white[D4], PICKS);
    std::vector<int> black = pick_counts(AFTER_E4, &misses);
    EXPECT_NEAR(black[E5] / double(PICKS), 0.75, 0.02);
    EXPECT_EQ(black[E5] + black[C5], PICKS);
    EXPECT_EQ(misses, 0);
}

TEST_F(BookFile, EqualThirdsShareNinetyNinePercent) {
    write_records({record_at(START, E2, E4, 1, 0, 0), record_at(START, D2, D4, 1, 0, 0),
                   record_at(START, G1, F3, 0, 0, 1)});
    int misses = 0;
    std::vector<int> counts = pick_counts(START, &misses);
    for (int to : {E4, D4, F3}) EXPECT_NEAR(counts[to] / double(PICKS), 1 / 3.0, 0.02);
}

TEST_F(BookFile, MissesCountOnlyWhenNoMoveIsInTheBook) {
    write_records({record_at(START, G1, F3, 0, 9, 0)});
    b.set_position(START);
    lists.generate_legal_moves(b, 0);
    int misses = 0;
    move m = no_move;
    // Only a move the side to move always lost: no move, and no miss.
    EXPECT_FALSE(book.book_pick(b, lists, misses, &m));
    EXPECT_EQ(misses, 0);
    b.set_position(AFTER_E4);
    lists.generate_legal_moves(b, 0);
    EXPECT_FALSE(book.book_pick(b, lists, misses, &m));
    EXPECT_EQ(misses, 1);
    EXPECT_EQ(m, no_move);
}

// The four promotions share one record, which stands for the queen alone and
// weighs as much as a king move with the same results.
TEST_F(BookFile, APromotionRecordPlaysTheQueen) {
    const char* fen = "8/4P3/8/8/8/8/k7/4K3 w - - 0 1";
    write_records({record_at(fen, 12, 4, 1, 0, 0), record_at(fen, E1, D1, 1, 0, 0)});
    int misses = 0;
    b.set_position(fen);
    lists.generate_legal_moves(b, 0);
    int promotions[7] = {};
    int king_moves = 0;
    for (int i = 0; i < 400; i++) {
        move m = no_move;
        ASSERT_TRUE(book.book_pick(b, lists, misses, &m));
        if (m.flags & FLAG_PROMOTE)
            promotions[m.promote]++;
        else
            king_moves++;
    }
    for (int piece : {KNIGHT, BISHOP, ROOK}) EXPECT_EQ(promotions[piece], 0) << piece;
    EXPECT_GT(promotions[QUEEN], 120);
    EXPECT_GT(king_moves, 120);
}

TEST_F(BookFile, FirstRecordOfAPairInTheFileWins) {
    book_record first = record_at(START, E2, E4, 7, 0, 0);
    book_record second = first;
    second.white_wins = 99;
    bytes content(2 * BOOK_RECORD_BYTES);
    encode_into(content, 0, first);
    encode_into(content, 1, second);
    write_file(content);
    open_book();
    book_record query = {first.key_low, first.move_key, 0, 0, 0, 0};
    ASSERT_TRUE(book.book_find(query));
    EXPECT_EQ(query.white_wins, 7);
    EXPECT_EQ(book.book_size, 2u);
    query.move_key ^= 1u << 20;
    EXPECT_FALSE(book.book_find(query));
}

TEST_F(BookFile, OpeningReportsTheFileAndIgnoresAPartialRecord) {
    book_record r = record_at(START, E2, E4, 1, 0, 0);
    bytes content(33, 0xEE);
    encode_into(content, 0, r);
    write_file(content);
    EXPECT_EQ(open_book(), "Korvel opening database: " + std::string(book.file_name) +
                               " -- opened\nTotal number of moves: 2\n");
    EXPECT_EQ(book.book_size, 2u);
    book_record query = {r.key_low, r.move_key, 0, 0, 0, 0};
    EXPECT_TRUE(book.book_find(query));
    // Already open: nothing more is read or printed.
    EXPECT_EQ(open_book(), "");
}

TEST_F(BookFile, EmptyAndTinyFilesAreBooksWithoutMoves) {
    for (size_t size : {0, 1, 15}) {
        write_file(bytes(size, 0x41));
        book.book_close();
        EXPECT_EQ(open_book(), "Korvel opening database: " + std::string(book.file_name) +
                                   " -- opened\nTotal number of moves: 0\n");
        b.set_position(START);
        lists.generate_legal_moves(b, 0);
        int misses = 0;
        move m = no_move;
        EXPECT_FALSE(book.book_pick(b, lists, misses, &m));
        EXPECT_EQ(misses, 1);
    }
}

TEST_F(BookFile, MissingBookIsReportedOnceAndTriedAgain) {
    const std::string missing =
        "Korvel opening database: " + std::string(book.file_name) + " -- not opened\n";
    EXPECT_EQ(open_book(), missing);
    EXPECT_EQ(open_book(), "");
    b.set_position(START);
    lists.generate_legal_moves(b, 0);
    int misses = 0;
    move m = no_move;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(book.book_pick(b, lists, misses, &m));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(misses, 1);
    // A book that appears later (a "create" wrote it) is found by the next probe.
    write_records({record_at(START, E2, E4, 1, 0, 0)});
    testing::internal::CaptureStdout();
    b.set_position(START);
    EXPECT_TRUE(book.book_pick(b, lists, misses, &m));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(m.to, E4);
}

TEST_F(BookFile, ADirectoryIsNotABook) {
    book.file_name = dir.c_str();
    EXPECT_EQ(open_book(), "Korvel opening database: " + dir + " -- not opened\n");
    EXPECT_FALSE(book.book_loaded);
}

// A move met in more games than a counter holds keeps the largest count;
// wrapping would leave the most played move with almost no weight.
TEST_F(BookFile, CountersStopAtTheirLargestValue) {
    book_builder builder;
    const book_record win = record_at(START, E2, E4, 1, 0, 0);
    const book_record draw = record_at(START, E2, E4, 0, 0, 1);
    for (int i = 0; i < 65537; i++) builder.add_book_record(win);
    builder.add_book_record(draw);
    ASSERT_EQ(builder.records.size(), 1u);
    EXPECT_EQ(builder.records[0].games, 65535);
    EXPECT_EQ(builder.records[0].white_wins, 65535);
    EXPECT_EQ(builder.records[0].draws, 1);
}

TEST_F(BookFile, OnlyLegalMovesArePicked) {
    // White is in check from the rook on e2. The search's move list is
    // pseudo-legal and holds Ra8, which a damaged book may name.
    const char* fen = "4k3/8/8/8/8/8/4r3/R3K3 w Q - 0 1";
    write_records({record_at(fen, A1, A8, 9, 0, 0)});
    b.set_position(fen);
    lists.generate_moves(b, 0);
    int misses = 0;
    move m = no_move;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(book.book_pick(b, lists, misses, &m));
    EXPECT_EQ(misses, 1);
    // Beside a legal move it is never chosen.
    write_records({record_at(fen, A1, A8, 9, 0, 0), record_at(fen, E1, E2, 1, 0, 0)});
    book.book_close();
    b.set_position(fen);
    for (int i = 0; i < 100; i++) {
        ASSERT_TRUE(book.book_pick(b, lists, misses, &m));
        EXPECT_EQ(m.to, E2);
    }
    testing::internal::GetCapturedStdout();
}
