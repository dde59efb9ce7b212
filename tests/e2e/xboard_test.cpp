// xboard transcripts through the pipe, as a GUI sends them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>

#include "e2e/engine_process.h"

namespace {

using lines = std::vector<std::string>;

// Banner, configuration, bitbases, then the book and table lines of "xboard".
constexpr size_t PREAMBLE_LINES = 5;

// The output after the start-up lines and the table size printed by "xboard".
lines xboard(const lines& commands) {
    lines all = {"xboard", "nopost", "sd 3"};
    all.insert(all.end(), commands.begin(), commands.end());
    lines out = run_engine(all);
    if (out.size() < PREAMBLE_LINES) return {};
    return lines(out.begin() + PREAMBLE_LINES, out.end());
}

bool is_move_line(const std::string& l) {
    return l.rfind("move ", 0) == 0 && l.size() >= 9;
}

// The deepest iteration among the thinking lines ("  4     35 ..."), or 0.
int deepest_thinking_line(const lines& out) {
    int deepest = 0;
    for (const std::string& l : out)
        if (l.size() > 3 && isdigit(static_cast<unsigned char>(l[2])))
            deepest = std::max(deepest, atoi(l.substr(0, 3).c_str()));
    return deepest;
}

// Sends the lines and waits for the engine's move; the lines read and the
// seconds it took.
std::pair<lines, double> timed_move(engine_process& e, const lines& commands) {
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& l : commands) e.send(l);
    lines out = e.read_until("move ", 30000);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {out, took.count()};
}

} // namespace

TEST(Xboard, FeatureLineOnlyForVersion2) {
    EXPECT_EQ(xboard({"protover 2", "protover 1"}),
              lines{"feature ping=0 setboard=1 playother=0 san=0 usermove=0 time=1 draw=0 "
                    "reuse=1 myname=\"korvel v1.01\" colors=0 ics=0 name=0 pause=0 done=1"});
}

TEST(Xboard, EngineAnswersAsBlackAndKeepsPlayingWhiteAfterGo) {
    lines out = xboard({"new", "e2e4"});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(is_move_line(out[0])) << out[0];

    out = xboard({"new", "force", "e2e4", "e7e5", "go", "b8c6"});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_TRUE(is_move_line(out[0])) << out[0];
    EXPECT_TRUE(is_move_line(out[1])) << out[1];
}

TEST(Xboard, PromotionLetters) {
    const std::string position = "setboard 3k4/4P3/8/8/8/8/8/4K3 w - - 0 1";
    EXPECT_EQ(xboard({"force", position, "e7e8"}),
              (lines{"illegal move...(1)", "Error (unknown command):e7e8"}));
    for (const char* promotion : {"e7e8q", "e7e8Q"}) {
        lines out = xboard({"force", position, promotion, "post", "display"});
        ASSERT_EQ(out.size(), 10u) << promotion;
        EXPECT_EQ(out[1], " .  .  .  k  Q  .  .  . ") << promotion;
    }
}

TEST(Xboard, IllegalMovesAndLinesAfterTheGameEnds) {
    EXPECT_EQ(xboard({"force", "e2e5"}),
              (lines{"illegal move...(1)", "Error (unknown command):e2e5"}));
    EXPECT_EQ(xboard({"force", "setboard 4k3/4r3/8/8/8/8/8/4K3 w - - 0 1", "e1e2"}),
              (lines{"illegal move...(2)", "Error (unknown command):e1e2"}));
    EXPECT_EQ(xboard({"foo", "result 1-0 {White mates}", "e2e4", "go"}),
              (lines{"Error (unknown command):foo", "Error (unknown command):e2e4"}));
}

TEST(Xboard, ResultLines) {
    // King and two knights cannot mate; a knight each is not reported.
    EXPECT_EQ(xboard({"force", "setboard 4k3/8/8/8/8/8/8/1N2K1N1 b - - 0 1", "e8d8"}),
              lines{"1/2-1/2 {insuffisiant material}"});
    EXPECT_EQ(xboard({"force", "setboard 4k1n1/8/8/8/8/8/8/4K1N1 b - - 0 1", "e8d8"}), lines{});
    EXPECT_EQ(xboard({"force", "setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8"}),
              lines{"1-0 {Checkmate}"});
    // Three times the same position with the same side to move.
    EXPECT_EQ(xboard({"force", "g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"}),
              lines{"1/2-1/2 {3-fold repetition}"});
}

TEST(Xboard, NoLegalMoveForTheEngineGivesTheResultNotAMove) {
    lines out = xboard({"setboard 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "go"});
    EXPECT_EQ(out, lines{"1/2-1/2 {Stalemate}"});
    out = xboard({"setboard 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "go"});
    EXPECT_EQ(out, lines{"1-0 {Checkmate}"});
}

TEST(Xboard, RefusedPositionKeepsTheBoard) {
    lines out = xboard({"force", "setboard 8/8/8/8/8/8/8/8 w - -", "e2e4"});
    EXPECT_EQ(out, lines{"tellusererror Illegal position"});
}

TEST(Xboard, ClockLevelGivesQuickMoves) {
    // 40 moves in 0 minutes with one second left: the budget is a few ms,
    // also with an increment too large for the clock's milliseconds.
    for (const char* level : {"level 40 0 0", "level 40 0 9999999", "level 40 0 -9999999"}) {
        engine_process e;
        for (const char* l : {"xboard", "nopost", "new", level, "time 100", "otim 100", "e2e4"})
            e.send(l);
        lines out = e.read_until("move ", 5000);
        ASSERT_FALSE(out.empty()) << level;
        EXPECT_TRUE(is_move_line(out.back())) << out.back();
    }
}

TEST(Xboard, InputDuringTheSearchMakesTheEngineMoveFirst) {
    engine_process e;
    for (const char* l : {"xboard", "nopost", "new", "force", "e2e4", "sd 30", "go"}) e.send(l);
    e.send("display");
    lines out = e.read_until("move ", 10000);
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(is_move_line(out.back())) << out.back();
}

// Taking moves back and setting a position never start the engine's move,
// even when they leave its colour to move; "go" or the opponent's move does.
TEST(Xboard, TakeBacksAndSetboardWaitForGo) {
    EXPECT_EQ(xboard({"new", "e2e4", "g1f3", "undo", "remove", "go"}),
              (lines{"move d7d5", "move d5e4", "move d7d5"}));
    EXPECT_EQ(xboard({"new", "setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                      "go"}),
              lines{"move d7d5"});
    EXPECT_EQ(xboard({"new", "sb rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"}),
              lines{});
}

// A word that does not have the shape of two squares is no move and gets no
// message; two squares that name no square of the board get one, and never
// stand for another square.
TEST(Xboard, MalformedMoveWords) {
    EXPECT_EQ(xboard({"force", "E2E4", "e2e9", "hello", "e2"}),
              (lines{"illegal move...(1)", "Error (unknown command):E2E4",
                     "Error (unknown command):e2e9", "Error (unknown command):hello",
                     "illegal move...(1)", "Error (unknown command):e2"}));
}

// "sd" after "level" bounds the depth and keeps the clock: with one second
// left the move comes at once, not after a nine-ply search.
TEST(Xboard, DepthLimitBesideAClockKeepsTheClock) {
    engine_process e;
    auto [out, seconds] = timed_move(
        e, {"xboard", "protover 2", "new", "force",
            "setboard r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
            "level 40 1 0", "sd 9", "time 100", "otim 6000", "go"});
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(is_move_line(out.back())) << out.back();
    EXPECT_LT(seconds, 2.0);

    // With plenty of time the depth still bounds it: the iterations below it.
    engine_process capped;
    std::tie(out, seconds) =
        timed_move(capped, {"xboard", "post", "new", "level 40 5 0", "sd 5", "time 30000", "go"});
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(is_move_line(out.back())) << out.back();
    EXPECT_EQ(deepest_thinking_line(out), 4);
}

// Without a clock "sd" is the depth mode; a new game drops the limit.
TEST(Xboard, DepthLimitAloneAndAfterANewGame) {
    engine_process e;
    auto [out, seconds] = timed_move(e, {"xboard", "post", "sd 5", "go"});
    EXPECT_EQ(deepest_thinking_line(out), 4);
    std::tie(out, seconds) = timed_move(e, {"new", "st 1", "go"});
    EXPECT_GT(deepest_thinking_line(out), 4);
}
