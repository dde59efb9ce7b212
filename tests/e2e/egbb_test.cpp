// The console egbb command through the real binary, with and without the
// bitbase library.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "e2e/engine_process.h"

namespace {

using lines = std::vector<std::string>;

const std::string LIBRARY_DIR = KORVEL_EGBB_DIR; // empty when the library was not built
const std::string DEBIAN_TABLES = KORVEL_GAVIOTA_TABLES_DIR;
const std::string SCORE = "egbb score = ";
constexpr int WIN_LIMIT = 3000;

bool bitbases_available() {
    struct stat st;
    return !LIBRARY_DIR.empty() && stat((DEBIAN_TABLES + "/gtb4/kqk.gtb.cp4").c_str(), &st) == 0;
}

int score_in(const std::string& line) {
    EXPECT_EQ(line.compare(0, SCORE.size(), SCORE), 0) << line;
    return atoi(line.c_str() + SCORE.size());
}

} // namespace

TEST(Egbb, WithoutTheLibraryTheCommandIsSilent) {
    lines out = run_engine({"egbb", "nopost", "sb 8/8/8/8/8/8/1Q6/K6k w - -", "egbb", "quit"});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[2], "EgbbProbe not Loaded!");
}

TEST(Egbb, ScoresWinsDrawsAndRefusesBigPositions) {
    if (!bitbases_available()) GTEST_SKIP() << "the bitbase library or Debian's tables are absent";
    lines out = run_engine(
        {"nopost", "sb 8/8/8/8/8/8/1Q6/K6k w - -", "egbb", "sb 8/8/8/8/8/8/1Q6/K6k b - -", "egbb",
         "sb 8/4k3/8/4K3/4P3/8/8/8 w - -", "egbb", "new", "egbb", "egbb please", "quit"},
        {{"korvel.cfg", "egbb_path " + LIBRARY_DIR + "\n"}});
    ASSERT_EQ(out.size(), 11u);
    EXPECT_EQ(out[2], "egbb_path = " + LIBRARY_DIR);
    EXPECT_EQ(out[3], "EgbbProbe Loaded!");
    int win = score_in(out[4]);
    EXPECT_GT(win, 0);
    EXPECT_LT(win, WIN_LIMIT);
    int loss = score_in(out[5]);
    EXPECT_LT(loss, 0);
    EXPECT_GT(loss, -WIN_LIMIT);
    EXPECT_EQ(out[6], "egbb score = 0");
    EXPECT_EQ(out[7], "Korvel opening database: korvel.bin -- not opened");
    EXPECT_EQ(out[8], "hash table size = 16 Mb");
    const std::string refused =
        "egbb: not probed, the bitbases hold at most 3 pieces besides the kings";
    EXPECT_EQ(out[9], refused);
    EXPECT_EQ(out[10], refused);
}
