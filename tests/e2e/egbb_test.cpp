// The console egbb command through the real binary, with and without the
// bitbase library.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/engine_command.h"
#include "e2e/engine_process.h"

namespace {

using lines = std::vector<std::string>;

// Empty when the library was not built.
const std::string LIBRARY = engine_egbb_library();
const std::string LIBRARY_NAME = std::filesystem::path(LIBRARY).filename().string();
const std::string LIBRARY_DIR = LIBRARY.substr(0, LIBRARY.size() - LIBRARY_NAME.size());
const std::string DEBIAN_TABLES = KORVEL_GAVIOTA_TABLES_DIR;
const std::string SCORE = "egbb score = ";
constexpr int WIN_LIMIT = 3000;
constexpr int NO_INFO = -99999;
constexpr int SEARCH_TIMEOUT_MS = 30000;

bool bitbases_available() {
    struct stat st;
    return !LIBRARY_DIR.empty() && stat((DEBIAN_TABLES + "/gtb4/kqk.gtb.cp4").c_str(), &st) == 0;
}

// The score of the last "info" line of a UCI search to `depth`, waited for
// with nothing else sent, since input would stop the search.
int searched_score(const std::string& fen, int depth, const engine_process::file_list& files) {
    engine_process e(files);
    for (const std::string& l :
         lines{"uci", "position fen " + fen, "go depth " + std::to_string(depth)})
        e.send(l);
    lines out = e.read_until("bestmove", SEARCH_TIMEOUT_MS);
    int score = NO_INFO;
    for (const std::string& l : out) {
        size_t at = l.find(" score cp ");
        if (l.rfind("info ", 0) == 0 && at != std::string::npos) score = atoi(l.c_str() + at + 10);
    }
    return score;
}

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
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

// King and pawn against king, searched far shorter than the play to mate:
// only the probe tells the won position from the drawn one, and without the
// library the search sees a pawn up in both.
TEST(Egbb, TheSearchSolvesKingAndPawnAgainstKing) {
    if (!bitbases_available()) GTEST_SKIP() << "the bitbase library or Debian's tables are absent";
    const std::string won = "4k3/8/4K3/4P3/8/8/8/8 w - - 0 1";
    const std::string drawn = "8/4k3/8/4K3/4P3/8/8/8 w - - 0 1";
    const engine_process::file_list with_library = {
        {"korvel.cfg", "egbb_path " + LIBRARY_DIR + "\n"}};
    constexpr int DEPTH = 6;
    constexpr int PAWN_UP_LIMIT = 1000; // far below a bitbase win, far above any pawn-up score

    const int win = searched_score(won, DEPTH, with_library);
    EXPECT_GT(win, PAWN_UP_LIMIT);
    EXPECT_LT(win, WIN_LIMIT); // a bitbase win, not a mate the search found
    EXPECT_EQ(searched_score(drawn, DEPTH, with_library), 0);

    for (const std::string& fen : {won, drawn}) {
        const int blind = searched_score(fen, DEPTH, {});
        EXPECT_GT(blind, 0) << fen;
        EXPECT_LT(blind, PAWN_UP_LIMIT) << fen;
    }
}

// korvel.cfg lines are read whole: a path that fills the value's 127
// characters still loads the library, and a longer one is refused with a
// word rather than cut into a path that names nothing.
TEST(Egbb, ALongPathIsReadWholeOrRefused) {
    if (!bitbases_available()) GTEST_SKIP() << "the bitbase library or Debian's tables are absent";
    constexpr size_t LONGEST_VALUE = 127;
    std::string path = LIBRARY_DIR;
    if ((LONGEST_VALUE - path.size()) % 2) path += "/";
    while (path.size() < LONGEST_VALUE) path += "./";
    ASSERT_EQ(path.size(), LONGEST_VALUE);
    lines out = run_engine({"nopost", "sb 8/8/8/8/8/8/1Q6/K6k w - -", "egbb", "quit"},
                           {{"korvel.cfg", "egbb_path " + path + "\n"}});
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[2], "egbb_path = " + path);
    EXPECT_EQ(out[3], "EgbbProbe Loaded!");
    EXPECT_GT(score_in(out[4]), 0);

    out = run_engine({"new", "quit"}, {{"korvel.cfg", "egbb_path  " + path + "./\nhash 8\n"}});
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[2], "korvel.cfg: the value of egbb_path is longer than 127 characters; the line "
                      "is ignored");
    EXPECT_EQ(out[3], "EgbbProbe not Loaded!");
    EXPECT_EQ(out[5], "hash table size = 8 Mb"); // the lines after it still count
}

// The library in a folder of the user's that holds an empty table, a table
// of noise and a stray file: each is reported and skipped, the shipped tables
// answer, and nothing crashes when those materials are probed. A library that
// ships its tables beside itself (the Windows one) takes them along.
TEST(Egbb, DamagedTablesInTheFolderAreSkipped) {
    if (!bitbases_available()) GTEST_SKIP() << "the bitbase library or Debian's tables are absent";
    const std::string library = file_bytes(LIBRARY);
    ASSERT_FALSE(library.empty());
    std::string noise(4096, '\0');
    for (size_t i = 0; i < noise.size(); i++) noise[i] = char(i * 131 + 7);
    engine_process::file_list files = {{"korvel.cfg", "egbb_path t/\n"},
                                       {"t/" + LIBRARY_NAME, library},
                                       {"t/kqk.gtb.cp4", ""},
                                       {"t/krk.gtb.cp4", noise},
                                       {"t/notes.gtb", ""}};
    std::error_code absent;
    for (const auto& table : std::filesystem::directory_iterator(LIBRARY_DIR + "gtb4", absent)) {
        const std::string name = table.path().filename().string();
        files.push_back({"t/gtb4/" + name, file_bytes(table.path().string())});
    }
    lines out = run_engine({"nopost", "sb 4k3/8/4K3/4Q3/8/8/8/8 w - - 0 1", "egbb",
                            "sb 4k3/8/4K3/4R3/8/8/8/8 w - - 0 1", "egbb", "quit"},
                           files);
    ASSERT_EQ(out.size(), 9u);
    EXPECT_EQ(out[2], "egbb_path = t/");
    std::vector<std::string> skipped(out.begin() + 3, out.begin() + 6);
    std::sort(skipped.begin(), skipped.end());
    const char* const tables[] = {"kqk.gtb.cp4", "krk.gtb.cp4", "notes.gtb"};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(skipped[i].rfind("bitbase table ", 0), 0u) << skipped[i];
        const std::string table = std::string(tables[i]) + " skipped: ";
        const bool posix_path = skipped[i].find("/t/" + table) != std::string::npos;
        const bool windows_path = skipped[i].find("\\t\\" + table) != std::string::npos;
        EXPECT_TRUE(posix_path || windows_path) << skipped[i];
    }
    EXPECT_EQ(out[6], "EgbbProbe Loaded!");
    for (int i = 7; i < 9; i++) {
        const int win = score_in(out[i]);
        EXPECT_GT(win, 0);
        EXPECT_LT(win, WIN_LIMIT);
    }
}

// Right after a double step no pawn can take en passant here, so the
// position is scored as without the square; the right to castle keeps the
// tables, which know nothing of castling, away.
TEST(Egbb, DoubleStepsAreScoredAndCastlingRightsAreNot) {
    if (!bitbases_available()) GTEST_SKIP() << "the bitbase library or Debian's tables are absent";
    lines out =
        run_engine({"nopost", "sb k7/8/8/8/7P/8/8/4K3 b - h3 0 1", "egbb",
                    "sb k7/8/8/8/7P/8/8/4K3 b - - 0 1", "egbb", "sb 6k1/8/8/8/8/8/8/4K2R w K - 0 1",
                    "egbb", "sb 6k1/8/8/8/8/8/8/4K2R w - - 0 1", "egbb", "quit"},
                   {{"korvel.cfg", "egbb_path " + LIBRARY_DIR + "\n"}});
    ASSERT_EQ(out.size(), 8u);
    const int after_double_step = score_in(out[4]);
    EXPECT_LT(after_double_step, 0);
    EXPECT_EQ(after_double_step, score_in(out[5]));
    EXPECT_EQ(out[6], "egbb score = 99999");
    EXPECT_GT(score_in(out[7]), 0);
}
