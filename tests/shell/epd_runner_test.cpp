#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/epd_runner.h"
#include "shell/move_text.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

move mv(const char* from, const char* to, int flags) {
    return move{uint8_t(square_from_text(from)), uint8_t(square_from_text(to)), 0, uint8_t(flags)};
}

// The operations of `line` after its position part, read on that position,
// and what reading them printed.
struct read_result {
    epd_record record;
    std::string printed;
};

read_result read(const std::string& line, epd_mode& mode) {
    size_t at = 0;
    std::string position;
    next_field(line, at, position, POSITION_BLANKS);
    board b;
    b.set_position(position.c_str());
    testing::internal::CaptureStdout();
    epd_record r = read_operations(b, line, at, mode);
    return {r, testing::internal::GetCapturedStdout()};
}

} // namespace

// Two blanks in a row give an empty word, and a one-character text none;
// the reader must still move on, or a record would be read forever.
TEST(EpdRunner, FieldsAreWordsOrThePositionPart) {
    const std::string text = std::string(START) + " bm  e4;";
    size_t at = 0;
    std::string out;
    EXPECT_EQ(next_field(text, at, out, POSITION_BLANKS), strlen(START));
    EXPECT_EQ(out, START);
    EXPECT_EQ(next_field(text, at, out, 0), 2u);
    EXPECT_EQ(next_field(text, at, out, 0), 0u);
    EXPECT_EQ(next_field(text, at, out, 0), 3u);
    EXPECT_EQ(out, "e4;");
    EXPECT_GT(at, text.size());

    at = 0;
    EXPECT_EQ(next_field("x", at, out, 0), 0u);
    EXPECT_EQ(at, 1u);
}

// The suites' verdicts for bm, am and two moves are checked end to end; here
// the mode a record without a keyword inherits, and the words after the
// terminator.
TEST(EpdRunner, OperationsGiveTheExpectedMovesAndTheMode) {
    epd_mode mode = EPD_AVOID;
    read_result got = read(std::string(START) + " bm Nf3; id \"Nc3\";", mode);
    EXPECT_EQ(mode, EPD_BEST);
    ASSERT_EQ(got.record.count, 1);
    EXPECT_EQ(got.record.expected[0], mv("g1", "f3", 0));
    EXPECT_EQ(got.printed, "Nf3\n"); // the id after the terminator is neither printed nor read

    got = read(std::string(START) + " am e4;", mode);
    got = read(std::string(START) + " d4;", mode);
    EXPECT_EQ(mode, EPD_AVOID);
    got = read(std::string(START) + " d4; c0 \"x\" bm", mode);
    EXPECT_EQ(mode, EPD_BEST);
}

TEST(EpdRunner, OnlyFiveMovesAreKeptAndBadWordsAreSkipped) {
    epd_mode mode = EPD_BEST;
    read_result got = read(std::string(START) + " bm a3 b3 c3 d3 e3 f3 g3;", mode);
    ASSERT_EQ(got.record.count, EPD_MOVES);
    EXPECT_EQ(got.record.expected[4], mv("e2", "e3", FLAG_PAWN));
    EXPECT_EQ(got.printed, "a3\nb3\nc3\nd3\ne3\nf3\ng3\n");

    // "1-0" is no move at all and takes no slot; Bc4 (blocked) and e5 (no
    // pawn behind it) are unresolved and kept as no_move.
    got = read(std::string(START) + " bm 1-0 Bc4 e5;", mode);
    ASSERT_EQ(got.record.count, 2);
    EXPECT_EQ(got.record.expected[0], no_move);
    EXPECT_EQ(got.record.expected[1], no_move);
}
