// The book through the real binary: the create dialogue, and what the
// engine says about the book file it is configured with.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>

#include "e2e/engine_process.h"

namespace {

using lines = std::vector<std::string>;

constexpr size_t STARTUP_LINES = 3;
constexpr size_t BOOK_RECORD_BYTES_IN_FILE = 16;

// Two games; the second is a draw, and a comment word would not parse as a move.
const std::string GAMES = "[White \"A\"]\n[Result \"1-0\"]\n[WhiteElo \"2400\"]\n\n"
                          "1. e4 {best by test} e5 2. Nf3 Nc6 1-0\n\n"
                          "[Result \"1/2-1/2\"]\n\n1. e4 c5 2. Nf3 1/2-1/2\n";

const lines DIALOGUE_HEAD = {
    "Korvel book creation.",
    "",
    "Give filename with full path.",
    "Give number of moves deep, not plies,",
    "to records for each games in the file.",
    "",
};

lines after_startup(const lines& out) {
    if (out.size() < STARTUP_LINES) return {};
    return lines(out.begin() + STARTUP_LINES, out.end());
}

std::string file_content(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

size_t file_size(const std::string& path) {
    return file_content(path).size();
}

bool has_line(const lines& out, const std::string& text) {
    for (const std::string& l : out)
        if (l.find(text) != std::string::npos) return true;
    return false;
}

// Lines that arrive within the time, none of them waited for.
lines lines_within(engine_process& e, int ms) {
    lines out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::string l;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !e.read_line(l, int(left.count()))) return out;
        out.push_back(l);
    }
}

} // namespace

TEST(BookDialogue, CreateWritesTheBookAndTheEngineGoesOn) {
    engine_process e({{"games.pgn", GAMES}});
    for (const char* answer : {"create", "games.pgn", "small.bin", "1", "800", "0", "perft 1"})
        e.send(answer);
    e.close_input();
    lines out = after_startup(e.read_to_end());
    lines expected = {"hash table size = 16 Mb"};
    expected.insert(expected.end(), DIALOGUE_HEAD.begin(), DIALOGUE_HEAD.end());
    for (const char* line :
         {"1) PGN file name with full path: games.pgn",
          "2) New book filename (just the name): small.bin", "3) Number of moves to consider:  1",
          "move_deep: 1", "4) Minimum Elo for both players:  800", "minimum elo: 1000",
          "5) Include DRAW games (1 = YES, 0 = NO):  0", "Draw games are not included",
          "new empty book created",
          // The bar turns once per move number of the accepted game.
          "|\r \rgames read: 2, used: 1, skipped: 1, cut short: 0", "n = 2", "Done.",
          "perft(1): 20"})
        expected.push_back(line);
    ASSERT_GE(out.size(), expected.size());
    EXPECT_EQ(lines(out.begin(), out.begin() + expected.size()), expected);
    EXPECT_EQ(e.wait_exit(), 0);
    EXPECT_EQ(file_size(e.directory() + "/small.bin"), 2u * BOOK_RECORD_BYTES_IN_FILE);
}

TEST(BookDialogue, IllegalMovesAndMissingFilesDoNotEndTheProgram) {
    const std::string broken = "[Result \"0-1\"]\n\n1. e4 e5 2. Ke4 Nc6 0-1\n\n"
                               "[Result \"0-1\"]\n\n1. d4 d5 0-1\n";
    lines out = after_startup(run_engine(
        {"create", "nosuch.pgn", "create", "broken.pgn", "out.bin", "5", "0", "1", "perft 1"},
        {{"broken.pgn", broken}}));
    EXPECT_TRUE(has_line(out, "cannot open file: nosuch.pgn"));
    EXPECT_TRUE(has_line(out, "illegal move: Ke4"));
    EXPECT_TRUE(has_line(out, "n = 4"));
    EXPECT_TRUE(has_line(out, "perft(1): 20"));
}

TEST(BookDialogue, EndOfInputInTheDialogueEndsTheProgram) {
    engine_process e({{"games.pgn", GAMES}});
    e.send("create");
    e.send("games.pgn");
    e.close_input();
    lines out = after_startup(e.read_to_end());
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), "2) New book filename (just the name): ");
    EXPECT_EQ(e.wait_exit(), 0);
}

TEST(BookFileLines, OpenedMissingAndTruncatedBooks) {
    // 33 bytes: two whole records and one stray byte.
    const std::string truncated(33, '\x01');
    lines out = after_startup(run_engine({"new", "new"}, {{"korvel.bin", truncated}}));
    EXPECT_EQ(out, (lines{"Korvel opening database: korvel.bin -- opened",
                          "Total number of moves: 2", "hash table size = 16 Mb"}));
    out = after_startup(run_engine({"new"}, {{"korvel.bin", ""}}));
    EXPECT_EQ(out, (lines{"Korvel opening database: korvel.bin -- opened",
                          "Total number of moves: 0", "hash table size = 16 Mb"}));
    out = after_startup(run_engine({"new"}, {{"korvel.cfg", "openings other.bin\n"}}));
    EXPECT_EQ(out, (lines{"Korvel opening database: other.bin -- not opened",
                          "hash table size = 16 Mb"}));
}

// A book built from games that all open 1. e4: "go" plays it without a search.
TEST(BookPlay, GoFromTheStartPlaysTheBookMove) {
    engine_process e({{"games.pgn", GAMES}, {"korvel.cfg", "openings mine.bin\n"}});
    for (const char* answer : {"create", "games.pgn", "mine.bin", "2", "0", "1"}) e.send(answer);
    e.read_until("Done.");
    e.send("new");
    e.send("go");
    e.send("display");
    lines out = e.read_until(" R  N  B  Q  K  B  N  R ");
    ASSERT_GE(out.size(), 9u);
    EXPECT_EQ(out[out.size() - 4], " .  .  .  .  P  .  .  . ");
    EXPECT_EQ(out[out.size() - 2], " P  P  P  P  .  P  P  P ");
    // A book move is played without a search, so no thinking line ("  3     55 ...").
    for (const std::string& l : out) EXPECT_FALSE(l.size() > 3 && isdigit(l[2])) << l;
}

// A PGN name that is no readable file, or a file that gives no book move,
// leaves the existing book untouched; a good one replaces it whole.
TEST(BookDialogue, BadInputLeavesTheBookAsItWas) {
    const std::string old_book(BOOK_RECORD_BYTES_IN_FILE, '\x07');
    engine_process e({{"keep.bin", old_book},
                      {"folder/inside.txt", "x"},
                      {"notes.txt", "Korvel is a chess engine.\nIt reads games.\n"},
                      {"games.pgn", GAMES}});
    for (const char* answer :
         {"create", "folder", "create", "notes.txt", "keep.bin", "5", "0", "1"})
        e.send(answer);
    lines out = e.read_until("Done.");
    EXPECT_TRUE(has_line(out, "cannot open file: folder"));
    EXPECT_TRUE(has_line(out, "games read: 1, used: 1, skipped: 0, cut short: 1"));
    EXPECT_TRUE(has_line(out, "no book moves found; keep.bin left as it was"));
    EXPECT_TRUE(has_line(out, "n = 0"));
    EXPECT_EQ(file_content(e.directory() + "/keep.bin"), old_book);

    for (const char* answer : {"create", "games.pgn", "keep.bin", "2", "0", "1"}) e.send(answer);
    out = e.read_until("Done.");
    EXPECT_TRUE(has_line(out, "n = 6"));
    EXPECT_EQ(file_size(e.directory() + "/keep.bin"), 6u * BOOK_RECORD_BYTES_IN_FILE);
    EXPECT_EQ(file_size(e.directory() + "/keep.bin.tmp"), 0u); // none left behind
}

// A book whose new file cannot be written says which book and why, and the
// old book stays as it was: here the new file's place is taken by a folder.
TEST(BookDialogue, AnUnwritableNewBookLeavesTheOldOne) {
    const std::string old_book(BOOK_RECORD_BYTES_IN_FILE, '\x07');
    engine_process e(
        {{"keep.bin", old_book}, {"keep.bin.tmp/inside.txt", "x"}, {"games.pgn", GAMES}});
    for (const char* answer : {"create", "games.pgn", "keep.bin", "2", "0", "1"}) e.send(answer);
    const lines out = e.read_until("Done.");
    const std::string message = "error opening file \"keep.bin\"for writing. (";
    const auto said = std::find_if(out.begin(), out.end(), [&](const std::string& l) {
        return l.rfind(message, 0) == 0 && l.size() > message.size() + 1 && l.back() == ')';
    });
    EXPECT_NE(said, out.end()) << "no line starting " << message;
    EXPECT_TRUE(has_line(out, "n = 0"));
    EXPECT_EQ(file_content(e.directory() + "/keep.bin"), old_book);
    EXPECT_EQ(file_content(e.directory() + "/keep.bin.tmp/inside.txt"), "x");
}

// An infinite or pondering search ends only on "stop" or "ponderhit", also
// in a position the book knows: the answer never comes before.
TEST(BookPlay, InfiniteAndPonderSearchesDoNotPlayFromTheBook) {
    const std::pair<const char*, const char*> searches[] = {
        {"go infinite", "stop"},
        {"go ponder wtime 60000 btime 60000", "ponderhit"},
    };
    for (const auto& [start, end] : searches) {
        engine_process e({{"games.pgn", GAMES}, {"korvel.cfg", "openings mine.bin\n"}});
        for (const char* answer : {"create", "games.pgn", "mine.bin", "2", "0", "1"})
            e.send(answer);
        e.read_until("Done.");
        for (const char* l : {"uci", "isready", "position startpos"}) e.send(l);
        e.read_until("readyok");
        e.send(start);
        for (const std::string& l : lines_within(e, 1500))
            EXPECT_NE(l.rfind("bestmove", 0), 0u) << start << ": " << l;
        e.send(end);
        lines out = e.read_until("bestmove", 10000);
        ASSERT_FALSE(out.empty()) << start;
        EXPECT_EQ(out.back().rfind("bestmove ", 0), 0u) << start << ": " << out.back();
    }
    // The same book answers a timed search at once, without a search line.
    engine_process e({{"games.pgn", GAMES}, {"korvel.cfg", "openings mine.bin\n"}});
    for (const char* answer : {"create", "games.pgn", "mine.bin", "2", "0", "1"}) e.send(answer);
    e.read_until("Done.");
    for (const char* l : {"uci", "position startpos", "go wtime 60000 btime 60000"}) e.send(l);
    lines out = e.read_until("bestmove", 10000);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), "bestmove e2e4 ");
    for (const std::string& l : out) EXPECT_NE(l.rfind("info depth", 0), 0u) << l;
}
