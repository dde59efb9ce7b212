// Console command transcripts: lines in through the pipe, exact lines out.
#include <gtest/gtest.h>

#include "e2e/engine_process.h"

namespace {

using lines = std::vector<std::string>;

constexpr size_t STARTUP_LINES = 3;
constexpr size_t LONGEST_LINE = 65535;
// Printed by the first command that sets up the engine with its book.
const std::string NO_BOOK = "Korvel opening database: korvel.bin -- not opened";

// The output after the start-up lines.
lines console(const lines& commands) {
    lines out = run_engine(commands);
    if (out.size() < STARTUP_LINES) return {};
    return lines(out.begin() + STARTUP_LINES, out.end());
}

const lines START_DIAGRAM = {
    "",
    " r  n  b  q  k  b  n  r ",
    " p  p  p  p  p  p  p  p ",
    " .  .  .  .  .  .  .  . ",
    " .  .  .  .  .  .  .  . ",
    " .  .  .  .  .  .  .  . ",
    " .  .  .  .  .  .  .  . ",
    " P  P  P  P  P  P  P  P ",
    " R  N  B  Q  K  B  N  R ",
    "",
};

} // namespace

TEST(Console, HelpText) {
    lines expected = {"",
                      "Korvel's commands:",
                      "setboard or sb <fen>",
                      "analyze",
                      "exit",
                      "display",
                      "perft <depth>",
                      "create",
                      "help",
                      "quit"};
    EXPECT_EQ(console({"help", "quit"}), expected);
}

TEST(Console, PostAndNopostSwitchTheDiagram) {
    EXPECT_EQ(console({"display"}), START_DIAGRAM);
    EXPECT_EQ(console({"nopost", "display", "sb 8/8/8/8/8/8/8/K6k w - -"}), lines{});
    EXPECT_EQ(console({"nopost", "post", "display"}), START_DIAGRAM);
}

TEST(Console, SetboardShowsTheNewPosition) {
    lines out = console({"setboard 4k3/8/8/8/8/8/8/4K2R w K - 0 1"});
    lines expected = {"",
                      " .  .  .  .  k  .  .  . ",
                      " .  .  .  .  .  .  .  . ",
                      " .  .  .  .  .  .  .  . ",
                      " .  .  .  .  .  .  .  . ",
                      " .  .  .  .  .  .  .  . ",
                      " .  .  .  .  .  .  .  . ",
                      " .  .  .  .  .  .  .  . ",
                      " .  .  .  .  K  .  .  R ",
                      ""};
    EXPECT_EQ(out, expected);
}

TEST(Console, UnusablePositionsAreRefusedAndThePositionStays) {
    const char* bad[] = {
        "sb 8/8/8/8/8/8/8/8 w - -",           // no kings
        "sb kk6/8/8/8/8/8/8/K7 w - -",        // two black kings
        "sb k7/8/8/8/8/8/QQQQQQQQ/KQ6 w - -", // nine queens
        "sb k7/8/8/8/8/8/8/8/8/8/K7 w - -",   // past the last square
        "setboard 8/8/8/8/8/8/8/7K7k w - -",  // past the last square
        "sb",                                 // nothing at all
    };
    for (const char* command : bad) {
        lines out = console({command, "display"});
        ASSERT_EQ(out.size(), 1 + START_DIAGRAM.size()) << command;
        EXPECT_EQ(out[0].rfind("illegal position: ", 0), 0u) << out[0];
        EXPECT_EQ(lines(out.begin() + 1, out.end()), START_DIAGRAM) << command;
    }
}

TEST(Console, PerftLimitsAndOutput) {
    lines out = console({"perft 3", "perft 7", "perft 0"});
    ASSERT_EQ(out.size(), 5u + 2u);
    EXPECT_EQ(lines(out.begin(), out.begin() + 4),
              (lines{"perft(1): 20", "perft(2): 400", "perft(3): 8902", ""}));
    EXPECT_NE(out[4].find(" ms"), std::string::npos);
    EXPECT_EQ(out[5], "");
    EXPECT_NE(out[6].find(" ms"), std::string::npos);
}

TEST(Console, SilentCommandsAndUnknownLines) {
    EXPECT_EQ(console({"st 5", "stop", "", "foo", "xboard ", "Help", "quit"}), lines{});
    EXPECT_EQ(console({"exit"}), lines{"search aborted"});
    EXPECT_EQ(console({"new", "new"}), (lines{NO_BOOK, "hash table size = 16 Mb"}));
}

TEST(Console, CarriageReturnsAreDropped) {
    engine_process e;
    e.send_raw("perft 1\r\nquit\r\n");
    lines out = e.read_to_end();
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[3], "perft(1): 20");
    EXPECT_EQ(e.wait_exit(), 0);
}

TEST(Console, OverlongLinesAreSplit) {
    // LONGEST_LINE characters make one line; what follows arrives as the next line.
    std::string filler(LONGEST_LINE - 5, ' ');
    std::string line = "perft" + filler + "perft 2";
    lines out = console({line, "quit"});
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], "");
    EXPECT_EQ(out[2], "perft(1): 20");
    EXPECT_EQ(out[3], "perft(2): 400");
    // A very long line of nothing useful does no harm.
    EXPECT_EQ(console({std::string(100000, 'x'), "quit"}), lines{});
}

TEST(Console, LastLineWithoutLineFeedIsExecuted) {
    engine_process e;
    e.send_raw("perft 1");
    e.close_input();
    lines out = e.read_to_end();
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[3], "perft(1): 20");
    EXPECT_EQ(e.wait_exit(), 0);
}

TEST(Console, DialectSwitches) {
    EXPECT_EQ(console({"uci", "quit"}), (lines{"id name Korvel", "id author Vendrake", "uciok"}));
    EXPECT_EQ(console({"xboard", "quit"}), (lines{NO_BOOK, "hash table size = 16 Mb"}));
}

// A Black pawn on rank 8 leaves its file's rearmost-row field at 0, the
// mark of a file without pawns, so the pawn terms depend on the order of the
// piece table's slots: perft's makes and unmakes change that order here.
TEST(Console, EvalWithABlackPawnOnRank8FollowsTheSlots) {
    lines out = console(
        {"nopost", "sb p2p1K1B/8/5B2/1k6/3p4/3p4/5RQN/8 w - - 0 1", "eval", "perft 3", "eval"});
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[0], "1990");
    EXPECT_EQ(lines(out.begin() + 1, out.begin() + 5),
              (lines{"perft(1): 40", "perft(2): 362", "perft(3): 14874", ""}));
    EXPECT_EQ(out[6], "1973");
}

TEST(Console, EvalAndSee) {
    EXPECT_EQ(console({"eval"}), lines{"0"});
    // A White knight on d5 attacked by a pawn and a rook, defended by a pawn.
    lines out = console({"nopost", "sb 3rk3/8/2p5/3N4/4P3/8/8/4K3 w - -", "see x d5", "eval"});
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], NO_BOOK);
    EXPECT_EQ(out[1], "hash table size = 16 Mb");
    EXPECT_EQ(out[2], "see  score = -300");
    lines refusals = console({"see", "see x", "see x i9", "see x e"});
    ASSERT_EQ(refusals.size(), 6u);
    EXPECT_EQ(lines(refusals.begin() + 2, refusals.end()),
              lines(4, "see needs a square as its third word, as in: see x e4"));
}
