// Iterative deepening as the command sets use it: what it prints, what it
// leaves behind, and that the same search gives the same result.
#include <cstdio>
#include <sstream>
#include <vector>

#include "movegen/clock.h"
#include "search/search_fixture.h"

namespace {

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Positions of every phase, with checks, captures and promotions about.
constexpr const char* VARIED[] = {
    START,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "r3r1k1/pp3pbp/1qp3p1/2B5/2BP2b1/Q1n2N2/P4PPP/3R1K1R b - - 1 18",
    "8/8/1p1r1k2/p1pPN1p1/P3KnP1/1P6/8/3R4 b - - 5 54",
    "5k2/7R/4P2p/5K2/p1r2P1p/8/8/8 b - - 0 1",
    "8/2P5/8/8/8/2k5/8/K7 w - - 0 1",
    "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1",
};

bool uci_on() {
    return true;
}

int book_calls = 0;
move book_answer = no_move;

bool fake_book(move* out) {
    book_calls++;
    *out = book_answer;
    return true;
}

int polls_left = 0;

// Input arrives after a set number of polls.
void input_after_polls() {
    if (--polls_left <= 0) think_state = 0;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

} // namespace

class ThinkTest : public SearchTest {
  protected:
    int think_to(int max_depth) {
        s->search_mode = MODE_DEPTH;
        s->max_depth = max_depth;
        return s->think();
    }

    std::string printed(int score, int depth, int64_t nodes) {
        testing::internal::CaptureStdout();
        s->print_thinking(score, depth, nodes);
        return testing::internal::GetCapturedStdout();
    }

    // Plays the line on the board and takes it back; how many of its moves
    // were legal in turn, and the line's length.
    std::pair<int, int> legal_prefix(const move* line_moves) {
        int made = 0, length = 0;
        bool legal = true;
        for (; length < PV_LENGTH && line_moves[length] != no_move; length++) {
            if (!legal) continue;
            const move m = line_moves[length];
            legal = find(coordinates(m)) == m && b->make_move(m);
            if (legal) made++;
        }
        for (int i = 0; i < made; i++) b->unmake_move();
        return {made, length};
    }
};

TEST_F(ThinkTest, NoLegalMoveEndsAtOnce) {
    const char* ends[] = {"R5k1/5ppp/8/8/8/8/8/4K3 b - - 0 1", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"};
    for (const char* fen : ends) {
        s->ponder_move = move{1, 2, 0, 0}; // left by an earlier search
        for (int mode : {MODE_DEPTH, MODE_INFINITE, MODE_FIXED_TIME}) {
            set(fen);
            final_move = move{1, 2, 0, 0};
            s->search_mode = mode;
            s->time_value = 1e9;
            s->max_depth = 10;
            s->think();
            EXPECT_EQ(s->best_move, no_move) << fen;
            EXPECT_EQ(final_move, no_move) << fen;
            EXPECT_EQ(s->ponder_move, no_move) << fen;
            EXPECT_EQ(s->best_depth, 0);
            EXPECT_EQ(s->nodes, 0);
        }
    }
}

TEST_F(ThinkTest, ThinkingLineOfTheConsoleAndXboard) {
    set(START);
    const move e2e4 = find("e2e4");
    ASSERT_TRUE(b->make_move(e2e4));
    s->pv[0] = e2e4;
    s->pv[1] = find("e7e5");
    s->pv[2] = no_move;
    b->unmake_move();
    search_start_ms = now_ms() - 1234;
    const std::string text = printed(34, 5, 56789);
    int centiseconds = -1;
    ASSERT_EQ(sscanf(text.c_str() + 11, "%6d", &centiseconds), 1) << text;
    EXPECT_GE(centiseconds, 123);
    EXPECT_LT(centiseconds, 1000); // unless the test stalls for seconds
    char expected[80];
    snprintf(expected, sizeof expected, "  5     34 %6d      56789 e2-e4 e7-e5 \n", centiseconds);
    EXPECT_EQ(text, expected);
    EXPECT_NE(printed(0, 30, 3000000000).find(" 3000000000 e2-e4"), std::string::npos);
}

TEST_F(ThinkTest, ThinkingLineOfUci) {
    seams.uci_dialect = uci_on;
    set(START);
    s->pv[0] = find("e2e4");
    s->pv[1] = move{12, 28, 0, 0}; // e7e5 as packed; only its squares are printed
    s->pv[2] = no_move;
    seldepth = 9;
    search_start_ms = now_ms() - 1234;
    const std::string text = printed(34, 5, 56789);
    long long ms = -1;
    const size_t at = text.find(" time ");
    ASSERT_NE(at, std::string::npos) << text;
    ms = atoll(text.c_str() + at + 6);
    EXPECT_GE(ms, 1234);
    EXPECT_LT(ms, 10000); // unless the test stalls for seconds
    const std::string expected = "info depth 5 seldepth 9 time " + std::to_string(ms) +
                                 " nodes 56789 score cp 34 pv e2e4 e7e5 \n";
    EXPECT_EQ(text, expected);
    // Mate scores too are printed as centipawns.
    EXPECT_NE(printed(32760, 7, 1).find(" score cp 32760 pv "), std::string::npos);
    // Hours of analysis pass 2^31 nodes.
    EXPECT_NE(printed(0, 30, 3000000000).find(" nodes 3000000000 "), std::string::npos);
}

TEST_F(ThinkTest, CapturesAndPromotionsInBothDialects) {
    set("3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1");
    s->pv[0] = find("e7d8q");
    s->pv[1] = move{7, 15, 0, 0}; // h8h7
    s->pv[2] = find("e1e2");
    s->pv[3] = no_move;
    search_start_ms = now_ms();
    const std::string console = printed(900, 3, 10);
    EXPECT_EQ(console.substr(console.size() - 23), " e7xd8(Q) h8-h7 e1-e2 \n") << console;
    seams.uci_dialect = uci_on;
    const std::string uci = printed(900, 3, 10);
    EXPECT_EQ(uci.substr(uci.find(" pv ")), " pv e7d8q h8h7 e1e2 \n") << uci;
}

TEST_F(ThinkTest, DepthsOneAndTwoPrintNothing) {
    set(START);
    s->pv[0] = find("e2e4");
    s->pv[1] = no_move;
    for (bool uci : {false, true}) {
        seams.uci_dialect = uci ? uci_on : nullptr;
        EXPECT_EQ(printed(10, 1, 20), "");
        EXPECT_EQ(printed(10, 2, 40), "");
        EXPECT_NE(printed(10, 3, 60), "");
    }
}

// A search to depth 6 prints depths 3 to 5 and nothing below; every line
// shows a legal line of play.
TEST_F(ThinkTest, SearchPrintsFromDepthThree) {
    set(VARIED[1]);
    s->show_thinking = 1;
    testing::internal::CaptureStdout();
    think_to(6);
    const std::vector<std::string> lines = split_lines(testing::internal::GetCapturedStdout());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(atoi(lines.front().c_str()), 3);
    EXPECT_EQ(atoi(lines.back().c_str()), 5);
    for (const std::string& l : lines) EXPECT_GE(atoi(l.c_str()), 3) << l;
    s->show_thinking = 0;
    testing::internal::CaptureStdout();
    think_to(6);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// The line the search reports, and its second move offered for pondering,
// must be playable move after move.
TEST_F(ThinkTest, ReportedLinesArePlayable) {
    for (const char* fen : VARIED) {
        for (int depth : {2, 3, 6}) {
            set(fen);
            tt_clear();
            think_to(depth);
            const auto [made, length] = legal_prefix(s->pv);
            EXPECT_GT(length, 0) << fen;
            EXPECT_EQ(made, length) << fen << " depth " << depth;
            EXPECT_EQ(s->best_move, s->pv[0]);
            EXPECT_EQ(s->ponder_move, s->pv[1]);
            EXPECT_EQ(final_move, s->best_move);
        }
    }
}

// The position is set again before the second search: the searches' makes
// and unmakes may leave the pieces in other slots of their rows, and so
// change the order in which moves are generated.
TEST_F(ThinkTest, SameSearchTwiceGivesTheSameNodes) {
    for (const char* fen : VARIED) {
        set(fen);
        tt_clear();
        const int first_score = think_to(6);
        const int64_t first_nodes = s->nodes;
        const move first_move = s->best_move;
        set(fen);
        tt_clear();
        EXPECT_EQ(think_to(6), first_score) << fen;
        EXPECT_EQ(s->nodes, first_nodes) << fen;
        EXPECT_EQ(s->best_move, first_move) << fen;
    }
}

// Input during an endless analysis: the search stops and keeps the move of
// the last iteration it completed.
TEST_F(ThinkTest, StoppedSearchKeepsTheLastCompletedIteration) {
    seams.poll_input = input_after_polls;
    for (int polls : {1, 3, 20}) {
        set(VARIED[1]);
        polls_left = polls;
        s->search_mode = MODE_INFINITE;
        s->think();
        EXPECT_EQ(abort_search, 1);
        EXPECT_GE(s->best_depth, 1);
        EXPECT_LT(s->best_depth, iteration_depth);
        EXPECT_NE(s->best_move, no_move);
        EXPECT_EQ(s->pv[0], s->best_move);
        EXPECT_EQ(final_move, s->best_move);
        EXPECT_NE(find(coordinates(s->best_move)), no_move);
    }
}

// Eight queens a side: the first move of the first iteration alone outlasts
// one poll interval, so a stop at the first poll leaves no searched move.
TEST_F(ThinkTest, StopInsideTheFirstIterationStillGivesALegalMove) {
    seams.poll_input = input_after_polls;
    set("1k6/qqqqqqqq/rrbbnn2/8/8/RRBBNN2/QQQQQQQQ/1K6 w - - 0 1");
    polls_left = 1;
    s->search_mode = MODE_INFINITE;
    s->think();
    EXPECT_EQ(abort_search, 1);
    EXPECT_EQ(final_move, s->best_move);
    EXPECT_EQ(s->pv[0], s->best_move);
    EXPECT_EQ(s->ponder_move, no_move);
    ASSERT_NE(find(coordinates(s->best_move)), no_move);
    EXPECT_TRUE(b->make_move(s->best_move));
}

TEST_F(ThinkTest, BookIsAskedUntilThreeMisses) {
    seams.book_pick = fake_book;
    set(START);
    book_answer = find("d2d4");
    book_calls = 0;
    final_move = no_move;
    EXPECT_EQ(think_to(6), 0);
    EXPECT_EQ(book_calls, 1);
    EXPECT_EQ(s->best_move, book_answer);
    EXPECT_EQ(s->pv[0], book_answer);
    EXPECT_EQ(s->nodes, 0);
    EXPECT_EQ(final_move, no_move); // only searched moves are final
    s->book_misses = 3;
    think_to(4);
    EXPECT_EQ(book_calls, 1);
    EXPECT_GT(s->nodes, 0);
}
