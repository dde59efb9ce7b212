#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "chess.h"
#include "eval/tropism.h"
#include "search/tt.h"
#include "shell/epd_runner.h"
#include "shell/move_text.h"

namespace {

constexpr int EPD_TEST_HASH_MB = 16;

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
    auto b = std::make_unique<board>();
    b->set_position(position.c_str());
    testing::internal::CaptureStdout();
    epd_record r = read_operations(*b, line, at, mode);
    return {r, testing::internal::GetCapturedStdout()};
}

} // namespace

TEST(EpdRunner, FieldsAreWordsOrThePositionPart) {
    const std::string text = std::string(START) + " bm  e4; id \"x\";";
    size_t at = 0;
    std::string out;
    EXPECT_EQ(next_field(text, at, out, POSITION_BLANKS), strlen(START));
    EXPECT_EQ(out, START);
    EXPECT_EQ(next_field(text, at, out, 0), 2u);
    EXPECT_EQ(out, "bm");
    EXPECT_EQ(next_field(text, at, out, 0), 0u); // the second of two blanks
    EXPECT_EQ(next_field(text, at, out, 0), 3u);
    EXPECT_EQ(out, "e4;");
    next_field(text, at, out, 0);
    EXPECT_EQ(next_field(text, at, out, 0), 4u);
    EXPECT_EQ(out, "\"x\";");
    EXPECT_EQ(next_field(text, at, out, 0), 0u);
    EXPECT_EQ(at, text.size() + 1);

    // Nothing comes out of a text of one character, and the reader moves on.
    at = 0;
    EXPECT_EQ(next_field("x", at, out, 0), 0u);
    EXPECT_EQ(out, "");
    EXPECT_EQ(at, 1u);
}

TEST(EpdRunner, OperationsGiveTheExpectedMovesAndTheMode) {
    epd_mode mode = EPD_AVOID;
    read_result got = read(std::string(START) + " bm Nf3; id \"Nc3\";", mode);
    EXPECT_EQ(mode, EPD_BEST);
    ASSERT_EQ(got.record.count, 1);
    EXPECT_EQ(got.record.expected[0], mv("g1", "f3", 0));
    EXPECT_EQ(got.printed, "Nf3\n"); // the id after the terminator is neither printed nor read

    got = read(std::string(START) + " bm Nf3 e4; id \"two\";", mode);
    ASSERT_EQ(got.record.count, 2);
    EXPECT_EQ(got.record.expected[1], mv("e2", "e4", FLAG_PAWN | FLAG_DOUBLE));

    got = read(std::string(START) + " am e4; id \"avoid\";", mode);
    EXPECT_EQ(mode, EPD_AVOID);
    ASSERT_EQ(got.record.count, 1);

    // Without a keyword the mode of the record before stays; a keyword after
    // the terminator still counts.
    got = read(std::string(START) + " d4;", mode);
    EXPECT_EQ(mode, EPD_AVOID);
    got = read(std::string(START) + " d4; c0 \"x\" bm", mode);
    EXPECT_EQ(mode, EPD_BEST);
}

// A suite's annotation suffixes are read past on castling as on other moves.
TEST(EpdRunner, CastlingWithASuffixIsTheCastlingMove) {
    epd_mode mode = EPD_BEST;
    read_result got = read("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - bm O-O! O-O-O?!;", mode);
    ASSERT_EQ(got.record.count, 2);
    EXPECT_EQ(got.record.expected[0], mv("e1", "g1", FLAG_CASTLE));
    EXPECT_EQ(got.record.expected[1], mv("e1", "c1", FLAG_CASTLE));
    EXPECT_EQ(got.printed, "O-O!\nO-O-O?!\n");
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

// One legal move (Kxb2: a2 and b1 are the rook's), and a mated side with
// none. An unresolved expected move names no move, so it matches nothing, not
// even the empty result of a position without legal moves.
TEST(EpdRunner, SolvedByABestMoveOrByAvoidingTheMovesToAvoid) {
    const std::string forced = "k7/8/8/8/8/8/1r6/K7 w - -", mated = "7k/6Q1/6K1/8/8/8/8/8 b - -";
    const std::string suite[] = {
        forced + " bm Kxb2;", forced + " bm Kb1;", forced + " am Kxb2;", forced + " am Kb1;",
        forced + " bm;",      forced + " am;",     mated + " bm Kh7;",   mated + " am Kh7;",
    };
    const std::string path = testing::TempDir() + "korvel_epd_verdicts.epd";
    FILE* f = fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr) << path;
    for (const std::string& record : suite) fprintf(f, "%s\n", record.c_str());
    fclose(f);

    build_distance_tables();
    if (tt_count() == 0) tt_allocate(EPD_TEST_HASH_MB);
    engine.srch.time_value = 0;
    testing::internal::CaptureStdout();
    ASSERT_EQ(epd_read(path.c_str()), 8);
    epd_run();
    const std::string out = testing::internal::GetCapturedStdout();
    remove(path.c_str());

    std::vector<std::string> verdicts;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);)
        if (l == "solved" || l == "not solved") verdicts.push_back(l);
    EXPECT_EQ(verdicts, (std::vector<std::string>{"solved", "not solved", "not solved", "solved",
                                                  "not solved", "solved", "not solved", "solved"}))
        << out;
    EXPECT_NE(out.find("total test: 8 solved: 4 percent: 50.0%\n"), std::string::npos) << out;
}
