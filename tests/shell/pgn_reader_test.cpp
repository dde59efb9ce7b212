// Game files as other programs write them: the PGN import rules for tags,
// comments and line ends, results and ratings read from their own tags, and
// the words of a movetext that are not moves.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "book/book_builder.h"
#include "chess.h"
#include "shell/move_text.h"
#include "shell/pgn_reader.h"
#include "support/book_building.h"

namespace {

// A game that reaches both castlings: 1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. O-O
// Nf6 5. d3 d6 6. Nc3 Bg4 7. Be3 Qd7 8. Qd2 O-O-O.
const std::vector<const char*> CASTLING_GAME = {"e4",  "e5",  "Nf3", "Nc6",  "Bc4", "Bc5",
                                                "O-O", "Nf6", "d3",  "d6",   "Nc3", "Bg4",
                                                "Be3", "Qd7", "Qd2", "O-O-O"};

void expect_whole_game(const built& b, const std::vector<uint64_t>& expected,
                       const std::string& text) {
    EXPECT_EQ(b.summary.games, 1) << text;
    EXPECT_EQ(b.summary.broken, 0) << text;
    EXPECT_EQ(b.output.find("illegal"), std::string::npos) << b.output;
    EXPECT_EQ(pairs_in(b), expected) << text;
}

} // namespace

TEST(PgnReader, CastlingWithAnnotationSuffixes) {
    for (const char* suffixes : {"!", "!?", "!!", "?!", "$1", "+!"}) {
        const std::string s = suffixes;
        const std::string text = "[Result \"1-0\"]\n1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. O-O" + s +
                                 " Nf6 5. d3 d6 6. Nc3 Bg4 7. Be3 Qd7 8. Qd2 0-0-0" + s + " 1-0\n";
        expect_whole_game(build_text(text), pairs_of(CASTLING_GAME), text);
    }
}

TEST(PgnReader, AByteOrderMarkIsNotAGame) {
    const std::string text = "\xEF\xBB\xBF[Event \"Rated Blitz game\"]\n[Result \"0-1\"]\n\n"
                             "1. d4 d5 0-1\n";
    const built b = build_text(text);
    expect_whole_game(b, pairs_of({"d4", "d5"}), text);
    ASSERT_FALSE(b.records.empty());
    EXPECT_EQ(b.records[0].black_wins, 1);
}

// Inside a comment everything is comment text, a '[' at the start of a
// line as much as a ';' or a result.
TEST(PgnReader, CommentsHideTagsOverLines) {
    const std::string text = "[Result \"1-0\"]\n\n1. e4 {see the diagram\n[after 1.e4] in the "
                             "notes; 0-1} e5 2. Nf3 {\n[Event \"x\"]\n} Nc6 1-0\n";
    expect_whole_game(build_text(text), pairs_of({"e4", "e5", "Nf3", "Nc6"}), text);
}

TEST(PgnReader, MovesMayFollowATagOnItsLine) {
    const std::string text = "[Result \"1-0\"] 1. e4 e5 2. Nf3 Nc6 1-0\n";
    const built b = build_text(text);
    expect_whole_game(b, pairs_of({"e4", "e5", "Nf3", "Nc6"}), text);
    for (const book_record& r : b.records) EXPECT_EQ(r.white_wins, 1);
}

TEST(PgnReader, TagsWithBlanksAndEscapes) {
    const char* fen = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
    const std::string spaced =
        std::string("[ Event \"t\" ]\n[FEN\t\"") + fen + "\"]\n[ Result  \"1-0\"\t]\n1. e4 1-0\n";
    const built b = build_text(spaced);
    expect_whole_game(b, pairs_of({"e4"}, fen), spaced);
    ASSERT_EQ(b.records.size(), 1u);
    EXPECT_EQ(b.records[0].white_wins, 1);
    // A quote or a backslash inside a value is escaped; what looks like a
    // tag's end or a move inside the value is value text.
    const std::string escaped = "[Event \"a \\\"] 1. d4 \\\\\"] 1. e4 *\n";
    expect_whole_game(build_text(escaped), pairs_of({"e4"}), escaped);
}

TEST(PgnReader, CarriageReturnsAloneEndLines) {
    const std::string text = "[Event \"old\"]\r[Result \"1/2-1/2\"]\r\r1. c4 c5\r2. Nc3 Nc6 "
                             "1/2-1/2\r\r[Result \"1-0\"]\r\r1. d4 1-0\r";
    const built b = build_text(text);
    EXPECT_EQ(b.summary.games, 2);
    EXPECT_EQ(b.summary.broken, 0);
    std::vector<uint64_t> expected = pairs_of({"c4", "c5", "Nc3", "Nc6"});
    expected.push_back(pairs_of({"d4"})[0]);
    EXPECT_EQ(pairs_in(b), expected);
    ASSERT_EQ(b.records.size(), 5u);
    EXPECT_EQ(b.records[0].draws, 1);
    EXPECT_EQ(b.records[4].white_wins, 1);
}

TEST(PgnReader, EnPassantMarkIsIgnored) {
    const std::string text = "[Result \"*\"]\n1. e4 Nf6 2. e5 d5 3. exd6 e.p. Nc6 *\n";
    expect_whole_game(build_text(text), pairs_of({"e4", "Nf6", "e5", "d5", "exd6", "Nc6"}), text);
}

// The flags come from the value of the Result tag alone, and the ratings
// from the rating tags alone, however the other tags read.
TEST(PgnReader, ResultAndRatingsFromTheirOwnTags) {
    const built event = build_text("[Event \"4NCL 2010-11\"]\n[Site \"1/2-1/2 Hall\"]\n"
                                   "[Result \"1-0\"]\n\n1. e4 1-0\n");
    ASSERT_EQ(event.records.size(), 1u);
    EXPECT_EQ(event.records[0].white_wins, 1);
    EXPECT_EQ(event.records[0].black_wins, 0);
    EXPECT_EQ(event.records[0].draws, 0);

    const std::string rated = "[WhiteElo \"2450\"]\n[BlackElo \"20101\"]\n[Annotator \"Eloff, "
                              "J\"]\n[Round \"Elo 1200\"]\n[Result \"0-1\"]\n\n1. d4 0-1\n";
    const built kept = build_text(rated, settings_of(5, 2010));
    EXPECT_EQ(kept.summary.accepted, 1);
    ASSERT_EQ(kept.records.size(), 1u);
    EXPECT_EQ(kept.records[0].black_wins, 1);
    // "20101": its first four characters, 2010, are the rating.
    EXPECT_EQ(build_text(rated, settings_of(5, 2011)).summary.accepted, 0);
    EXPECT_EQ(build_text("[WhiteElo \"2450\"]\n[BlackElo \"?\"]\n1. d4 *\n", settings_of(5))
                  .summary.accepted,
              0);
}

// A null move passes the turn, so no later move can be recorded for the
// side that plays it: the game is cut there, and says so.
TEST(PgnReader, NullMovesEndTheGame) {
    for (const char* null : {"--", "Z0", "0000", "@@@@"}) {
        const std::string text = std::string("[Result \"1-0\"]\n1. e4 e5 2. Nf3 Nc6 3. Bc4 ") +
                                 null + " 4. Nd4 Nf6 1-0\n\n[Result \"1-0\"]\n1. d4 1-0\n";
        const built b = build_text(text);
        EXPECT_EQ(b.summary.games, 2) << null;
        EXPECT_EQ(b.summary.broken, 1) << null;
        EXPECT_EQ(b.output.find("illegal"), std::string::npos) << b.output;
        EXPECT_NE(b.output.find(std::string("null move: ") + null + "\n"), std::string::npos)
            << b.output;
        std::vector<uint64_t> expected = pairs_of({"e4", "e5", "Nf3", "Nc6", "Bc4"});
        expected.push_back(pairs_of({"d4"})[0]);
        EXPECT_EQ(pairs_in(b), expected) << null;
    }
}
