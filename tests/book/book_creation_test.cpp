// Building a book from PGN games: filters, depth, merging, the import
// layout and annotated files, and input that is not well formed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "book/book_builder.h"
#include "chess.h"
#include "shell/move_text.h"
#include "shell/pgn_reader.h"
#include "support/book_building.h"
#include "support/test_data.h"

namespace {

// A book of a PGN file in tests/data/pgn; an empty one, after the failure
// line, when the file is missing.
built build_file(const char* name, const hash& settings) {
    FILE* f = open_data_file(std::string("pgn/") + name);
    if (!f) return {};
    built b = build_from(f, settings);
    fclose(f);
    return b;
}

// (key_low, move_key, games, white, black, draws) of each record, for comparisons.
using row = std::vector<uint32_t>;
std::vector<row> rows(const std::vector<book_record>& records) {
    std::vector<row> out;
    for (const book_record& r : records)
        out.push_back({r.key_low, r.move_key, r.games, r.white_wins, r.black_wins, r.draws});
    return out;
}

// The move of each record as from and to squares ("e2e4"), read from the
// top twelve bits of move_key (from * 64 + to, a8 = 0) without the engine's
// move text, so that a wrong square in the records cannot hide behind the
// same mistake in the expected pairs.
std::vector<std::string> moves_in(const built& b) {
    std::vector<std::string> moves;
    for (const book_record& r : b.records) {
        std::string text;
        for (uint32_t square : {r.move_key >> 26, r.move_key >> 20 & 63}) {
            text += char('a' + square % 8);
            text += char('8' - square / 8);
        }
        moves.push_back(text);
    }
    return moves;
}

// The start position's key, 24ABBA53 F3285D2B: its 32 pieces' entries of the
// key table and entry 15 (all four castling rights) XORed together. A book
// record keeps the low half and, below the move, key bits 32..51.
constexpr uint32_t START_KEY_LOW = 0xF3285D2B, START_KEY_BITS_32_51 = 0xBBA53;

const std::string TAGS_WHITE_WINS = "[Event \"?\"]\n[Result \"1-0\"]\n[WhiteElo \"2450\"]\n"
                                    "[BlackElo \"1990\"]\n\n";

// A book built by the plain rules for the export layout: tag lines up to an
// empty line, then movetext lines up to an empty line, blank-separated words;
// a word holding '.' is a move number and a word starting with a letter is a
// move. Every move of the export-layout files is legal.
std::vector<row> plain_rules_book(const char* name, const hash& settings) {
    FILE* f = open_data_file(std::string("pgn/") + name);
    if (!f) return {};
    std::vector<book_record> records;
    std::map<uint64_t, size_t> slot;
    static board b;
    char line[1024];
    auto next_line = [&]() {
        if (!fgets(line, sizeof line, f)) return false;
        line[strcspn(line, "\n")] = '\0';
        return line[0] != '\0';
    };
    while (!feof(f)) {
        int white = 0, black = 0, draw = 0;
        bool accept = true;
        while (next_line()) {
            if (strstr(line, "1/2-1/2")) {
                draw = settings.include_draws;
                accept = accept && settings.include_draws;
            } else if (strstr(line, "1-0")) {
                white = 1;
            } else if (strstr(line, "0-1")) {
                black = 1;
            } else if (strstr(line, "Elo") && strchr(line, '"')) {
                const int elo = atoi(std::string(strchr(line, '"') + 1, 4).c_str());
                accept = accept && elo >= settings.min_elo;
            }
        }
        b.set_position(START_FEN);
        int number = 0;
        while (next_line()) {
            for (char* w = strtok(line, " "); w && accept; w = strtok(nullptr, " ")) {
                if (strchr(w, '.')) {
                    number++;
                    continue;
                }
                if (number > settings.moves_deep || !isalpha(w[0])) continue;
                move m;
                EXPECT_EQ(parse_san(b, w, &m), 1);
                book_record r = {book_key_low(b.key),
                                 book_move_key(b.key, m.from, m.to),
                                 1,
                                 uint16_t(white),
                                 uint16_t(black),
                                 uint16_t(draw)};
                auto [it, fresh] = slot.emplace(book_pair(r), records.size());
                if (fresh) {
                    records.push_back(r);
                } else {
                    book_record& s = records[it->second];
                    s.games++, s.white_wins += white, s.black_wins += black, s.draws += draw;
                }
                b.make_move(m);
            }
        }
    }
    fclose(f);
    return rows(records);
}

} // namespace

TEST(BookCreation, DepthCountsMovesOfBothColoursAndRepeatsMerge) {
    const std::string game = TAGS_WHITE_WINS + "1. e4 e5 2. Nf3 Nc6 1-0\n\n";
    built one = build_text(game + game, settings_of(1));
    ASSERT_EQ(one.records.size(), 2u);
    EXPECT_EQ(pairs_in(one), pairs_of({"e4", "e5"}));
    EXPECT_EQ(moves_in(one), (std::vector<std::string>{"e2e4", "e7e5"}));
    // e2 is square 52 and e4 square 36: 52 * 64 + 36 = 0xD24.
    EXPECT_EQ(one.records[0].key_low, START_KEY_LOW);
    EXPECT_EQ(one.records[0].move_key, 0xD24u << 20 | START_KEY_BITS_32_51);
    for (const row& r : rows(one.records))
        EXPECT_EQ(row(r.begin() + 2, r.end()), (row{2, 2, 0, 0}));
    EXPECT_EQ(one.summary.games, 2);
    EXPECT_EQ(pairs_in(build_text(game, settings_of(2))), pairs_of({"e4", "e5", "Nf3", "Nc6"}));
    EXPECT_TRUE(build_text(game, settings_of(0)).records.empty());
    // An accepted game turns a bar, one character per move number.
    EXPECT_EQ(one.output, "|\r \r|\r \r");
}

// The bar of a long file is written in blocks, yet in its place among the
// other lines: here a message comes after many blocks, and bar follows it.
TEST(BookCreation, TheBarKeepsItsPlaceBesideMessages) {
    const std::string bar = "|\r \r/\r \r-\r \r\\\r \r|\r \r"; // ten move numbers
    const std::string game = TAGS_WHITE_WINS +
                             "1. d4 d5 2. c4 e6 3. Nc3 Nf6 4. Bg5 Be7 5. e3 O-O "
                             "6. Nf3 h6 7. Bh4 b6 8. cxd5 exd5 9. Bd3 Bb7 10. O-O "
                             "c5 1-0\n\n";
    const std::string broken = TAGS_WHITE_WINS + "1. e4 e5 2. Ke3 Nc6 3. Nf3 1-0\n\n";
    std::string games, expected;
    for (int i = 0; i < 300; i++) games += game, expected += bar;
    games += broken;
    expected += "|\r \r" + std::string("illegal move: Ke3\n") + "/\r";
    for (int i = 0; i < 3; i++) games += game, expected += bar;
    const built b = build_text(games, settings_of(40));
    EXPECT_EQ(b.summary.broken, 1);
    EXPECT_EQ(b.output, expected);
}

TEST(BookCreation, RatingAndDrawFilters) {
    const std::string game = TAGS_WHITE_WINS + "1. d4 d5 1-0\n\n";
    EXPECT_EQ(build_text(game, settings_of(5, 1990)).records.size(), 2u);
    built rejected = build_text(game, settings_of(5, 2000));
    EXPECT_TRUE(rejected.records.empty());
    EXPECT_EQ(rejected.summary.accepted, 0);
    EXPECT_EQ(rejected.output, "");

    const std::string draw = "[Result \"1/2-1/2\"]\n\n1. c4 c5 1/2-1/2\n\n";
    EXPECT_TRUE(build_text(draw, settings_of(5, 1000, false)).records.empty());
    built drawn = build_text(draw, settings_of(5));
    ASSERT_EQ(drawn.records.size(), 2u);
    EXPECT_EQ(drawn.records[0].draws, 1);
    // No result tag: the game counts, with no result.
    built unknown = build_text("[Event \"x\"]\n\n1. c4 *\n", settings_of(5));
    ASSERT_EQ(unknown.records.size(), 1u);
    // c2 is square 50 and c4 square 34: 50 * 64 + 34 = 0xCA2.
    EXPECT_EQ(rows(unknown.records)[0],
              (row{START_KEY_LOW, 0xCA2u << 20 | START_KEY_BITS_32_51, 1, 0, 0, 0}));
}

TEST(BookCreation, AnnotationsAreReadPastAndGluedNumbersKeepTheirMoves) {
    const std::vector<uint64_t> main_line = pairs_of({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6"});
    const char* annotated[] = {
        "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0\n",
        "1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 1-0\n",
        "1.e4 e5 2.Nf3 {Nothing Better (here} (2.d4 exd4 (2...d5 3.exd5) 3.c3) "
        "2...Nc6 $1 3.Bb5!? ; Spanish\n a6 1-0\n",
        "{Before the first move} 1. e4! e5?! 2. Nf3 {over\ntwo lines} Nc6 (2... d6 {a\n"
        "comment) in a variation})\n3.\nBb5 (3. Bc4\n(3. d4)) a6 $6 $14 1-0\n",
        "%escaped line Qxf7\n1... e4 e5 2 . Nf3 Nc6 3. Bb5 a6 1-0\n",
    };
    for (const char* movetext : annotated) {
        built b = build_text(TAGS_WHITE_WINS + movetext, settings_of(10));
        EXPECT_EQ(pairs_in(b), main_line) << movetext;
        EXPECT_EQ(moves_in(b),
                  (std::vector<std::string>{"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6"}))
            << movetext;
        EXPECT_EQ(b.summary.broken, 0) << movetext;
    }
}

TEST(BookCreation, AnIllegalMoveEndsOnlyItsGame) {
    const std::string games = TAGS_WHITE_WINS + "1. e4 e5 2. Ke3 Nc6 1-0\n\n" + TAGS_WHITE_WINS +
                              "1. e2-e5 d5 1-0\n\n" + TAGS_WHITE_WINS + "1. O-O d5 1-0\n\n" +
                              TAGS_WHITE_WINS + "1. Nf3 Nf6 2. Xb4 {then} 3. d4 1-0\n\n" +
                              TAGS_WHITE_WINS + "1. d4 Nf6 1-0\n\n";
    built b = build_text(games, settings_of(10));
    EXPECT_EQ(b.summary.games, 5);
    EXPECT_EQ(b.summary.broken, 4);
    for (const char* move : {"Ke3", "e2-e5", "O-O", "Xb4"})
        EXPECT_NE(b.output.find(std::string("illegal move: ") + move + "\n"), std::string::npos)
            << move;
    std::vector<uint64_t> expected = pairs_of({"e4", "e5"});
    for (uint64_t p : pairs_of({"Nf3", "Nf6"})) expected.push_back(p);
    expected.push_back(pairs_of({"d4"})[0]);
    expected.push_back(pairs_of({"d4", "Nf6"})[1]);
    EXPECT_EQ(pairs_in(b), expected);
}

TEST(BookCreation, GamesAreSeparatedByTheirTagsNotByBlankLines) {
    const std::string text = "\n\n\r\n[Result \"0-1\"]\r\n1. e4 e5 0-1\r\n"
                             "[Result \"1-0\"]\n[WhiteElo \"2500\"]\n\n\n\n1. d4\n\nd5 1-0\n"
                             "1. c4 c5 *\n\n\n1. Nf3 Nf6\n[Result \"0-1\"]\n1. g3 0-1";
    built b = build_text(text, settings_of(10));
    EXPECT_EQ(b.summary.games, 5);
    EXPECT_EQ(b.summary.broken, 0);
    std::vector<uint64_t> expected = pairs_of({"e4", "e5"});
    for (auto line : {pairs_of({"d4", "d5"}), pairs_of({"c4", "c5"}), pairs_of({"Nf3", "Nf6"}),
                      pairs_of({"g3"})})
        expected.insert(expected.end(), line.begin(), line.end());
    EXPECT_EQ(pairs_in(b), expected);
    EXPECT_EQ(b.records[0].black_wins, 1);
    EXPECT_EQ(b.records[2].white_wins, 1);
    EXPECT_EQ(b.records[4].white_wins + b.records[4].black_wins, 0);
    EXPECT_EQ(b.records.back().black_wins, 1);
    // Stray NUL bytes of a damaged file make no move of their own.
    const std::string damaged("1. e4\0 e5 \0\0*\n", 15);
    EXPECT_EQ(pairs_in(build_text(damaged, settings_of(10))), pairs_of({"e4", "e5"}));
}

TEST(BookCreation, GamesFromAFenTagStartThere) {
    const char* fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    const std::string tags = std::string("[SetUp \"1\"]\n[FEN \"") + fen + "\"]\n\n";
    built b = build_text(tags + "3. Bb5 a6 4. Ba4 1-0\n", settings_of(3));
    EXPECT_EQ(pairs_in(b), pairs_of({"Bb5", "a6"}, fen));
    EXPECT_EQ(b.summary.broken, 0);

    const char* black_to_move = "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1";
    built black = build_text(std::string("[FEN \"") + black_to_move + "\"]\n1... Kd7 2. e4 *\n",
                             settings_of(2));
    EXPECT_EQ(pairs_in(black), pairs_of({"Kd7", "e4"}, black_to_move));

    built bad =
        build_text("[FEN \"8/8/8/8/8/8/8/8 w - - 0 1\"]\n1. e4 *\n\n1. d4 *\n", settings_of(2));
    EXPECT_EQ(bad.summary.broken, 1);
    EXPECT_EQ(bad.output.rfind("illegal position: ", 0), 0u) << bad.output;
    EXPECT_EQ(pairs_in(bad), pairs_of({"d4"}));
}

// The same rated master games in two layouts: the export layout, and the
// original one with move numbers glued to White's moves.
TEST(BookCreation, ExportAndImportLayoutsGiveTheSameBookByThePlainRules) {
    for (const hash& s : {settings_of(10), settings_of(6, 2400, false)}) {
        const built exported = build_file("master-games.pgn", s);
        const built compact = build_file("master-games.compact.pgn", s);
        const std::vector<row> plain = plain_rules_book("master-games.pgn", s);
        if (HasFailure()) return; // a data file is missing: the reader has said which
        EXPECT_EQ(exported.summary.games, 400);
        EXPECT_EQ(exported.summary.broken, 0);
        EXPECT_GT(exported.records.size(), 500u);
        EXPECT_EQ(rows(compact.records), rows(exported.records));
        EXPECT_EQ(rows(exported.records), plain);
    }
}

// Every shape a PGN file takes beside its moves (comments over several
// lines and before the first move, nested variations, NAGs, line comments,
// % lines, results and move words inside comments) is read past: the games
// give the book of the same games with the annotations taken out. They
// also start from set-up positions, castle both ways and promote.
TEST(BookCreation, AnnotatedGamesGiveTheBookOfTheirMainLines) {
    const built annotated = build_file("annotated-games.pgn", settings_of(1000));
    const built plain = build_file("annotated-games.plain.pgn", settings_of(1000));
    if (HasFailure()) return; // a data file is missing: the reader has said which
    EXPECT_EQ(annotated.summary.games, 6);
    EXPECT_EQ(annotated.summary.accepted, 6);
    EXPECT_EQ(annotated.summary.broken, 0);
    EXPECT_EQ(annotated.output.find("illegal"), std::string::npos) << annotated.output;
    // 188 moves, of which the first move 1. e4 is played twice.
    EXPECT_EQ(annotated.records.size(), 187u);
    EXPECT_EQ(rows(annotated.records), rows(plain.records));
    // 1. e4 in a drawn game and in one without a result.
    EXPECT_EQ(rows(annotated.records)[0],
              (row{START_KEY_LOW, 0xD24u << 20 | START_KEY_BITS_32_51, 2, 0, 0, 1}));
    const std::vector<uint64_t> pairs = pairs_in(annotated);
    const auto played = [&](const std::vector<uint64_t>& line) {
        return std::search(pairs.begin(), pairs.end(), line.begin(), line.end()) != pairs.end();
    };
    EXPECT_TRUE(played(pairs_of({"a8=Q", "b1=Q+", "Kd2"}, "8/P5k1/8/8/8/8/1p6/4K3 w - - 0 1")));
    EXPECT_TRUE(played(pairs_of({"a1=N", "Kd3", "Kd7"}, "4k3/8/8/8/8/8/p3K3/8 b - - 0 1")));
}

// A file that fails part way must not pass for a short one: the book it
// would give is cut, so the dialogue keeps the old book.
TEST(BookCreation, AReadErrorIsReported) {
    FILE* text = tmpfile();
    ASSERT_NE(text, nullptr);
    fputs("[Result \"1-0\"]\n\n1. e4 e5 1-0\n", text);
    rewind(text);
    EXPECT_FALSE(build_from(text, settings_of(5)).summary.read_failed);
    fclose(text);
    // A stream opened only for writing fails its first read.
    const std::string name = testing::TempDir() + "korvel_write_only.pgn";
    FILE* write_only = fopen(name.c_str(), "w");
    ASSERT_NE(write_only, nullptr);
    EXPECT_TRUE(build_from(write_only, settings_of(5)).summary.read_failed);
    fclose(write_only);
    remove(name.c_str());
}
