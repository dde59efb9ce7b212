// Long games, overlong lines, binary garbage and input that ends or quits
// while the engine thinks: the engine answers correctly or says what it
// refused, never crashes or hangs, and leaves with status 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <random>

#include "board/board.h"
#include "board/key_table.h"
#include "chess.h"
#include "e2e/engine_process.h"
#include "movegen/mlist.h"
#include "shell/move_text.h"

namespace {

using lines = std::vector<std::string>;

constexpr int UCI_PLIES = 1200;
constexpr int XBOARD_PLIES = 600;
constexpr size_t LONG_LINE = 10000;
constexpr size_t GARBAGE_BYTES = 20000;
constexpr unsigned SEED = 20261207;
// Plies without a pawn move or capture after which the game below prefers one.
constexpr int PAWN_MOVE_URGENCY = 60;
constexpr size_t STARTUP_LINES = 3;
constexpr size_t PERFT_1_LINES = 3; // the count, a blank line and the time
constexpr int SEARCH_TIMEOUT_MS = 120000;
// Long enough that the search is surely still running when the input ends.
constexpr int LONG_SEARCH_SECONDS = 60;
constexpr int QUICK_STOP_MS = 20000;

bool starts_with(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::string lower(std::string s) {
    for (char& c : s) c = char(tolower(static_cast<unsigned char>(c)));
    return s;
}

bool any_line_holds(const lines& out, const std::string& text) {
    return std::any_of(out.begin(), out.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

// A game of random legal moves played on the engine's own board, so that the
// test knows the position the engine should reach.
class random_game {
  public:
    random_game() : b_(std::make_unique<board>()), lists_(std::make_unique<mlist>()), rng_(SEED) {
        init_key_table();
        b_->set_position(START_FEN);
        lists_->first[0] = 0;
    }

    // Plays one move; `xboard_rules` also avoids what ends an xboard game
    // (fifty moves, repetition, bare material). False when no move fits.
    bool play(bool xboard_rules) {
        std::vector<move> fitting;
        for (move m : legal_moves())
            if (fits(m, xboard_rules)) fitting.push_back(m);
        if (fitting.empty()) return false;
        const move m = pick(fitting);
        moves_.push_back(lower(move_to_text(m).text));
        return b_->make_move(m);
    }

    std::vector<move> legal_moves() {
        const int n = lists_->generate_legal_moves(*b_, 0);
        std::vector<move> legal;
        for (int i = 0; i < n; i++) legal.push_back(lists_->moves[i]);
        return legal;
    }

    bool is_legal_text(const std::string& text) {
        for (move m : legal_moves())
            if (lower(move_to_text(m).text) == lower(text)) return true;
        return false;
    }

    const lines& moves() const { return moves_; }

  private:
    std::unique_ptr<board> b_;
    std::unique_ptr<mlist> lists_;
    std::mt19937 rng_;
    lines moves_;

    bool fits(move m, bool xboard_rules) {
        b_->make_move(m);
        bool ok = !legal_moves().empty();
        if (xboard_rules) ok = ok && b_->fifty_count < FIFTY_MOVE_PLIES && !repeated() && !bare();
        b_->unmake_move();
        return ok;
    }

    bool repeated() const {
        for (int i = b_->history_count - 2; i >= 0 && i >= b_->history_count - b_->fifty_count;
             i -= 2)
            if (b_->history[i].key == b_->key) return true;
        return false;
    }

    // No pawn, rook or queen left: xboard's insufficient-material check may end the game.
    bool bare() const {
        int heavy = 0;
        for (int c : {WHITE, BLACK})
            heavy +=
                b_->piece_count(PAWN, c) + b_->piece_count(ROOK, c) + b_->piece_count(QUEEN, c);
        return heavy == 0;
    }

    // Quiet moves keep the material on the board; a pawn move or capture
    // resets the fifty-move count when it runs high.
    move pick(const std::vector<move>& fitting) {
        std::vector<move> wanted;
        const bool urgent = b_->fifty_count >= PAWN_MOVE_URGENCY;
        for (move m : fitting) {
            const bool resets = m.flags & (FLAG_PAWN | FLAG_CAPTURE);
            if (urgent ? resets : !(m.flags & FLAG_CAPTURE)) wanted.push_back(m);
        }
        const std::vector<move>& from = wanted.empty() ? fitting : wanted;
        return from[rng_() % from.size()];
    }
};

std::string join(const lines& words) {
    std::string s;
    for (const std::string& w : words) s += " " + w;
    return s;
}

// The move of a "bestmove" or "move" line.
std::string second_word(const std::string& line) {
    const size_t start = line.find(' ') + 1;
    return line.substr(start, line.find(' ', start) - start);
}

} // namespace

TEST(Hardening, UciPositionWithAThousandTwoHundredPlies) {
    random_game g;
    for (int ply = 0; ply < UCI_PLIES; ply++) ASSERT_TRUE(g.play(false)) << ply;
    engine_process e;
    e.send("uci");
    e.send("position startpos moves" + join(g.moves()));
    e.send("go depth 4");
    lines out = e.read_until("bestmove", SEARCH_TIMEOUT_MS);
    ASSERT_FALSE(out.empty());
    ASSERT_TRUE(starts_with(out.back(), "bestmove ")) << out.back();
    EXPECT_FALSE(any_line_holds(out, "illegal"));
    EXPECT_TRUE(g.is_legal_text(second_word(out.back()))) << out.back();
    e.close_input();
    e.read_to_end();
    EXPECT_EQ(e.wait_exit(), 0);
}

TEST(Hardening, XboardGameOfSixHundredPliesInForceMode) {
    random_game g;
    for (int ply = 0; ply < XBOARD_PLIES; ply++) ASSERT_TRUE(g.play(true)) << ply;
    engine_process e;
    for (const char* setup : {"xboard", "new", "force", "sd 4", "nopost"}) e.send(setup);
    for (const std::string& m : g.moves()) e.send(m);
    e.send("go");
    lines out = e.read_until("move ", SEARCH_TIMEOUT_MS);
    ASSERT_FALSE(out.empty());
    ASSERT_TRUE(starts_with(out.back(), "move ")) << out.back();
    EXPECT_FALSE(any_line_holds(out, "Error"));
    EXPECT_FALSE(any_line_holds(out, "illegal"));
    EXPECT_FALSE(any_line_holds(out, "1/2-1/2"));
    EXPECT_TRUE(g.is_legal_text(second_word(out.back()))) << out.back();
    e.close_input();
    e.read_to_end();
    EXPECT_EQ(e.wait_exit(), 0);
}

TEST(Hardening, LinesOfTenThousandCharacters) {
    // A UCI move list that long: knights out and back, 2,000 plies.
    std::string position = "position startpos moves";
    while (position.size() < LONG_LINE) position += " g1f3 g8f6 f3g1 f6g8";
    engine_process uci;
    uci.send("uci");
    uci.send(position + " e2e4");
    uci.send("go depth 1");
    lines out = uci.read_until("bestmove", SEARCH_TIMEOUT_MS);
    ASSERT_FALSE(out.empty());
    // Black to move after e2e4: the move starts on a Black square.
    EXPECT_TRUE(out.back()[10] == '7' || out.back()[10] == '8') << out.back();

    // xboard names the line it does not know, once; console ignores it.
    engine_process xboard;
    xboard.send("xboard");
    xboard.send(std::string(LONG_LINE, 'x'));
    xboard.send("protover 2");
    out = xboard.read_until("feature");
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(std::count_if(out.begin(), out.end(),
                            [](const std::string& l) { return starts_with(l, "Error"); }),
              1);
    EXPECT_TRUE(starts_with(out.back(), "feature"));

    lines console = run_engine({std::string(LONG_LINE, 'x'), "perft 1"});
    ASSERT_EQ(console.size(), STARTUP_LINES + PERFT_1_LINES);
    EXPECT_EQ(console[STARTUP_LINES], "perft(1): 20");
}

// Old Mac files end lines with a carriage return alone, Windows ones with a
// carriage return and a line feed: each ends a command line, in any mix.
TEST(Hardening, LineEndsOfEverySystem) {
    engine_process uci;
    uci.send_raw("uci\risready\r\nposition startpos moves e2e4\rgo depth 1\r\n");
    lines out = uci.read_until("bestmove", SEARCH_TIMEOUT_MS);
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(any_line_holds(out, "readyok")) << join(out);
    EXPECT_TRUE(out.back()[10] == '7' || out.back()[10] == '8') << out.back();

    engine_process console;
    console.send_raw("perft 1\rperft 2\r\n");
    console.close_input();
    out = console.read_to_end();
    EXPECT_TRUE(any_line_holds(out, "perft(1): 20")) << join(out);
    EXPECT_TRUE(any_line_holds(out, "perft(2): 400")) << join(out);
}

TEST(Hardening, BinaryGarbageInEveryDialect) {
    std::mt19937 rng(SEED);
    std::string garbage(GARBAGE_BYTES / 2, '\0');
    for (size_t i = 0; i < GARBAGE_BYTES / 2; i++) garbage += char(rng());
    struct dialect {
        const char* start;
        const char* probe;
        const char* answer;
    };
    for (const dialect& d :
         {dialect{"", "perft 1", "perft(1): 20"}, dialect{"xboard", "protover 2", "feature"},
          dialect{"uci", "isready", "readyok"}}) {
        engine_process e;
        if (*d.start) e.send(d.start);
        e.send_raw(garbage);
        e.send("");
        e.send(d.probe);
        e.close_input();
        lines out = e.read_to_end(SEARCH_TIMEOUT_MS);
        EXPECT_TRUE(any_line_holds(out, d.answer)) << d.probe;
        EXPECT_EQ(e.wait_exit(), 0) << d.probe;
    }
}

TEST(Hardening, InputEndsDuringASearch) {
    // The search stops at its next look at the input and still answers.
    engine_process uci;
    for (const char* l : {"uci", "position startpos", "go infinite"}) uci.send(l);
    uci.close_input();
    lines out = uci.read_to_end(QUICK_STOP_MS);
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(starts_with(out.back(), "bestmove ")) << out.back();
    EXPECT_EQ(uci.wait_exit(), 0);

    engine_process xboard;
    for (const std::string& l : {std::string("xboard"), std::string("new"),
                                 "st " + std::to_string(LONG_SEARCH_SECONDS), std::string("go")})
        xboard.send(l);
    xboard.close_input();
    out = xboard.read_to_end(QUICK_STOP_MS);
    EXPECT_TRUE(any_line_holds(out, "move ")) << join(out);
    EXPECT_EQ(xboard.wait_exit(), 0);
}

TEST(Hardening, QuitDuringASearch) {
    engine_process uci;
    for (const char* l : {"uci", "position startpos", "go infinite"}) uci.send(l);
    uci.read_until("info depth", QUICK_STOP_MS);
    uci.send("quit");
    lines out = uci.read_to_end(QUICK_STOP_MS);
    EXPECT_TRUE(any_line_holds(out, "bestmove ")) << join(out);
    EXPECT_EQ(uci.wait_exit(), 0);

    engine_process console;
    for (const std::string& l : {"st " + std::to_string(LONG_SEARCH_SECONDS), std::string("go")})
        console.send(l);
    console.read_until("  3 ", QUICK_STOP_MS); // the first thinking line
    console.send("quit");
    console.read_to_end(QUICK_STOP_MS);
    EXPECT_EQ(console.wait_exit(), 0);
}
