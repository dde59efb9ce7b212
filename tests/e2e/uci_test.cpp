// UCI transcripts through the pipe, as a GUI sends them.
#include <gtest/gtest.h>

#include <chrono>

#include "e2e/engine_process.h"
#include "movegen/clock.h"

namespace {

using lines = std::vector<std::string>;

// The machine is shared, so an answer may come this much later than its
// budget; it never comes earlier.
constexpr long long LATE_MS = 2000;
// How long a search without a limit must stay without an answer.
constexpr int SILENCE_MS = 1000;

constexpr size_t STARTUP_LINES = 3;
const lines IDENTIFICATION = {"id name Korvel", "id author Vendrake", "uciok"};

lines uci(const lines& commands) {
    lines all = {"uci"};
    all.insert(all.end(), commands.begin(), commands.end());
    lines out = run_engine(all);
    if (out.size() < STARTUP_LINES + IDENTIFICATION.size()) return {};
    return lines(out.begin() + STARTUP_LINES + IDENTIFICATION.size(), out.end());
}

// An engine switched to UCI, its identification read.
struct uci_engine : engine_process {
    uci_engine() {
        send("uci");
        read_until("uciok");
    }
};

// The search lines and the bestmove line of one "go", waited for.
lines go(engine_process& e, const std::string& command) {
    e.send(command);
    return e.read_until("bestmove", 30000);
}

bool starts_with(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// Every line that arrives within the window.
lines lines_within(engine_process& e, int window_ms) {
    lines out;
    const double deadline = now_ms() + window_ms;
    std::string line;
    while (e.read_line(line, int(std::max(0.0, deadline - now_ms())))) out.push_back(line);
    return out;
}

} // namespace

TEST(Uci, IdentificationAndReadiness) {
    lines out = run_engine({"uci", "isready", "isready", "setoption name Hash value 32", "quit"});
    ASSERT_EQ(out.size(), STARTUP_LINES + 7);
    EXPECT_EQ(lines(out.begin() + 3, out.begin() + 6), IDENTIFICATION);
    EXPECT_EQ(out[6], "Korvel opening database: korvel.bin -- not opened");
    EXPECT_EQ(out[7], "hash table size = 16 Mb");
    EXPECT_EQ(out[8], "readyok");
    EXPECT_EQ(out[9], "readyok");
    EXPECT_EQ(uci({"uci"}), IDENTIFICATION);
}

TEST(Uci, PositionWithMovesAndIllegalWords) {
    // After e2e4 e7e5 White is to move: the best move is a White move.
    uci_engine e;
    e.send("position startpos moves e2e4 e7e5");
    lines out = go(e, "go depth 4");
    ASSERT_FALSE(out.empty());
    const std::string& best = out.back();
    ASSERT_TRUE(starts_with(best, "bestmove ")) << best;
    EXPECT_TRUE(best[10] == '1' || best[10] == '2') << best; // from a White square

    lines msgs = uci({"position startpos moves e2e4 e2e4 e7e5 e1e3"});
    EXPECT_EQ(msgs, (lines{"illegal move...(1)", "illegal move...(1)"}));
    EXPECT_EQ(uci({"position fen 8/8/8/8/8/8/8/8 w - - 0 1 moves e2e4"}),
              lines{"info string illegal position"});
}

TEST(Uci, InfoLinesAndBestmoveForm) {
    uci_engine e;
    e.send("isready");
    e.read_until("readyok");
    lines out = go(e, "go depth 5");
    ASSERT_EQ(out.size(), 3u); // depths 3 and 4 are reported, 1 and 2 are not
    EXPECT_TRUE(starts_with(out[0], "info depth 3 seldepth ")) << out[0];
    EXPECT_TRUE(starts_with(out[1], "info depth 4 seldepth ")) << out[1];
    EXPECT_NE(out[1].find(" score cp "), std::string::npos);
    EXPECT_EQ(out[1].back(), ' ');
    // "bestmove e2e4 ponder e7e5" or "bestmove e2e4 " without an expected reply.
    EXPECT_TRUE(out[2].size() == 14 || (out[2].size() == 25 && out[2].substr(14, 7) == "ponder "))
        << out[2];
}

// The search's leaves see the pawn terms in the order of the piece table's
// slots when a Black pawn stands on rank 8 (see the console's eval case).
TEST(Uci, SearchWithABlackPawnOnRank8FollowsTheSlots) {
    uci_engine e;
    e.send("position fen 6pp/7R/8/6p1/8/8/8/k6K b - - 0 1 moves g8h7");
    lines out = go(e, "go depth 5");
    ASSERT_GE(out.size(), 2u);
    const std::string& depth4 = out[out.size() - 2];
    ASSERT_TRUE(starts_with(depth4, "info depth 4 seldepth 4 time ")) << depth4;
    EXPECT_EQ(depth4.substr(depth4.find(" nodes ")),
              " nodes 149 score cp -375 pv h1g2 h7h5 g2f3 h5h4 ");
    EXPECT_EQ(out.back(), "bestmove h1g2 ponder h7h5");
}

// UCI GUIs and match runners take only the lower-case letter.
TEST(Uci, PromotionsInInfoAndBestmove) {
    uci_engine e;
    e.send("position fen 8/4P1k1/8/8/8/8/8/4K3 w - - 0 1");
    lines out = go(e, "go depth 4");
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(starts_with(out.back(), "bestmove e7e8q ")) << out.back();
    EXPECT_NE(out[out.size() - 2].find(" pv e7e8q "), std::string::npos) << out[out.size() - 2];

    e.send("position fen 8/8/8/8/8/5k2/p7/5K2 b - - 0 1");
    out = go(e, "go wtime 5800 btime 5700 winc 100 binc 100");
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(starts_with(out.back(), "bestmove a2a1q ")) << out.back();
    // The expected reply promotes too.
    e.send("position fen 8/8/8/8/8/k7/p7/7K w - - 0 1");
    out = go(e, "go depth 5");
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), "bestmove h1g2 ponder a2a1q");
}

TEST(Uci, MateLimitAndNoLegalMove) {
    uci_engine e;
    e.send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    lines out = go(e, "go mate 1");
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), "bestmove a1a8 ");
    e.send("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(go(e, "go depth 3"), lines{"bestmove 0000"});
}

// Without a legal move there is nothing to search, but the answer still
// waits for the line that ends the search.
TEST(Uci, InfiniteAndPonderWithoutALegalMoveWaitForTheNextLine) {
    const std::pair<const char*, const char*> searches[] = {
        {"go infinite", "stop"},
        {"go ponder wtime 1000 btime 1000", "ponderhit"},
    };
    for (const char* position :
         {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"}) {
        for (const auto& [start, stop] : searches) {
            uci_engine e;
            e.send("isready");
            e.read_until("readyok");
            e.send(std::string("position fen ") + position);
            e.send(start);
            EXPECT_EQ(lines_within(e, SILENCE_MS), lines{}) << position << ": " << start;
            const long long sent = now_ms();
            e.send(stop);
            EXPECT_EQ(e.read_until("bestmove", LATE_MS), lines{"bestmove 0000"}) << position;
            EXPECT_LT(now_ms() - sent, LATE_MS) << start << " then " << stop;
            e.send("isready");
            EXPECT_EQ(e.read_until("readyok"), lines{"readyok"}) << start;
        }
    }
}

TEST(Uci, InfiniteAndPonderEndOnTheNextLine) {
    // A mate limit far beyond any depth searches like "infinite".
    const std::pair<const char*, const char*> searches[] = {
        {"go infinite", "stop"},
        {"go ponder wtime 1000 btime 1000", "ponderhit"},
        {"go mate 2000000000", "stop"},
    };
    for (const auto& [start, stop] : searches) {
        uci_engine e;
        e.send("isready");
        e.read_until("readyok");
        e.send(start);
        const lines thinking = lines_within(e, SILENCE_MS);
        ASSERT_FALSE(thinking.empty()) << start << ": no thinking";
        for (const std::string& l : thinking)
            EXPECT_FALSE(starts_with(l, "bestmove")) << start << " answered before " << stop;
        const double sent = now_ms();
        e.send(stop);
        lines out = e.read_until("bestmove", SILENCE_MS + LATE_MS);
        const double waited = now_ms() - sent;
        ASSERT_FALSE(out.empty()) << start;
        EXPECT_TRUE(starts_with(out.back(), "bestmove ")) << start;
        EXPECT_LT(waited, LATE_MS) << start << " then " << stop;
        // One answer only: the next line asked for is the next one given.
        e.send("isready");
        EXPECT_EQ(e.read_until("readyok"), lines{"readyok"}) << start;
    }
}

TEST(Uci, ClockAndMovetimeAnswerInTime) {
    // Milliseconds each search takes at least: its whole budget, spent up
    // to the first look at the clock after it. A clock search plans with at
    // most half the clock, and nothing of its last 50 ms. A "go" without a
    // clock of the side to move keeps the limits of the one before.
    const std::pair<const char*, long long> searches[] = {
        {"go wtime 50 winc 100 btime 50 binc 100", 0},
        {"go movetime 200", 200},
        {"go wtime 1000 btime 1000 movestogo 1", 500},
        {"go btime 10 wtime", 500},
    };
    uci_engine e;
    e.send("isready");
    e.read_until("readyok");
    for (const auto& [command, budget] : searches) {
        const double sent = now_ms();
        lines out = go(e, command);
        const double took = now_ms() - sent;
        ASSERT_FALSE(out.empty()) << command;
        EXPECT_TRUE(starts_with(out.back(), "bestmove ")) << command;
        EXPECT_GE(took, budget) << command;
        EXPECT_LT(took, budget + LATE_MS) << command;
    }
}

TEST(Uci, GoWithoutIsreadySetsUpFirst) {
    uci_engine e;
    lines out = go(e, "go depth 3");
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out[1], "hash table size = 16 Mb");
    EXPECT_TRUE(starts_with(out.back(), "bestmove ")) << out.back();
}

// A depth beside a clock bounds the search without switching the clock off.
TEST(Uci, DepthBesideAClockKeepsTheClock) {
    uci_engine e;
    e.send("position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    const auto start = std::chrono::steady_clock::now();
    lines out = go(e, "go depth 9 wtime 1000 btime 1000");
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(starts_with(out.back(), "bestmove ")) << out.back();
    EXPECT_LT(took.count(), 2.0);

    e.send("position startpos");
    for (const char* command :
         {"go depth 5 wtime 600000 btime 600000", "go movetime 60000 depth 5"}) {
        out = go(e, command);
        ASSERT_GE(out.size(), 2u) << command;
        EXPECT_TRUE(starts_with(out[out.size() - 2], "info depth 4 ")) << out[out.size() - 2];
    }
}

// Move words in a "moves" list: no message for what is not two squares at
// all, "illegal move...(1)" for squares off the board.
TEST(Uci, MalformedMoveWordsInTheMoveList) {
    EXPECT_EQ(uci({"position startpos moves e2e9 hello"}), lines{});
    EXPECT_EQ(uci({"position startpos moves E2E4"}), lines{"illegal move...(1)"});
}
