// The console's epd command through the real binary, on suite files placed
// in a scratch epd/ folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "e2e/engine_command.h"
#include "e2e/engine_process.h"
#include "support/test_data.h"

namespace {

using lines = std::vector<std::string>;

const std::string SUMMARY = "total test: ";
constexpr size_t WAC_RECORDS = 4;
// Generous: under wine every unbuffered write of the engine is a round trip
// through wine's server, and the long suite prints a diagram per record.
constexpr int SUITE_TIMEOUT_MS = 300000;
constexpr int LONG_LINE = 300;
constexpr int MANY_LINES = 2000;
constexpr int LINES_KEPT = 1001;

// White mates with Ra8; the search finds it before its first look at the clock.
const std::string MATE_IN_ONE = "6k1/5ppp/8/8/8/8/8/R5K1 w - -";
// Black is mated: the search has no move to give.
const std::string MATED = "7k/6Q1/6K1/8/8/8/8/8 b - -";

// Places the suite files ("epd/<name>") where the engine under test reads
// them, for the length of one test: in its working folder, or in the
// engine's own suite folder, from which they are removed again.
class suite_files {
  public:
    explicit suite_files(const engine_process::file_list& files) {
        const suite_folder place = engine_suite_folder();
        for (const auto& [name, content] : files) {
            if (place.folder.empty()) {
                in_working_folder_.push_back({name, content});
                continue;
            }
            placed_.push_back(place.folder + name.substr(name.find('/') + 1));
            std::ofstream(placed_.back(), std::ios::binary) << content;
        }
    }
    ~suite_files() {
        for (const std::string& f : placed_) remove(f.c_str());
    }
    const engine_process::file_list& working_folder() const { return in_working_folder_; }

  private:
    engine_process::file_list in_working_folder_;
    std::vector<std::string> placed_;
};

// The output from start-up through the summary line; "st 0" (or the given
// time) is set first, and nothing is sent while the suite runs, since input
// would cut every search short.
lines run_suite(const engine_process::file_list& files, const std::string& command,
                const std::string& time = "st 0") {
    suite_files suites(files);
    engine_process e(suites.working_folder());
    e.send("nopost");
    e.send(time);
    e.send(command);
    return e.read_until(SUMMARY, SUITE_TIMEOUT_MS);
}

// The verdicts in record order.
lines verdicts(const lines& out) {
    lines v;
    for (const std::string& l : out)
        if (l == "solved" || l == "not solved") v.push_back(l);
    return v;
}

bool contains(const lines& out, const std::string& line) {
    return std::find(out.begin(), out.end(), line) != out.end();
}

// The first lines of a data file, each with its line end.
std::string first_lines(const std::string& name, size_t count) {
    std::string text;
    const lines all = data_lines(name, count);
    for (size_t i = 0; i < count && i < all.size(); i++) text += all[i] + "\n";
    return text;
}

} // namespace

TEST(Epd, WinAtChessRecordsAreSearchedAndCounted) {
    const std::string records = first_lines("epd/wacnew.epd", WAC_RECORDS);
    if (records.empty()) return; // the reader has said why
    lines out = run_suite({{"epd/wacnew.epd", records}}, "epd 3", "st 1");
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(contains(out, engine_suite_folder().engine_text + "wacnew.epd"));
    EXPECT_TRUE(contains(out, "4 lines where read"));
    EXPECT_TRUE(contains(out, "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - <1>"));
    EXPECT_TRUE(contains(out, "Qg6"));
    lines v = verdicts(out);
    ASSERT_EQ(v.size(), size_t(WAC_RECORDS));
    const int solved = int(std::count(v.begin(), v.end(), "solved"));
    char summary[80];
    snprintf(summary, sizeof summary, "total test: %d solved: %d percent: %.1f%%", int(WAC_RECORDS),
             solved, solved * 100.0 / WAC_RECORDS);
    EXPECT_EQ(out.back(), summary);
}

TEST(Epd, BestAvoidAndRecordsThatCannotBeSearched) {
    const std::string suite = MATE_IN_ONE + " bm Ra8#; id \"best\";\n" + MATE_IN_ONE +
                              " am Ra8#; id \"avoid\";\n" + MATE_IN_ONE +
                              " bm Kf1 Ra8; id \"either\";\n" + MATE_IN_ONE +
                              " Kf1; id \"no keyword: still best\";\n" + MATED +
                              " bm Kh7; id \"no move against an unresolved move\";\n" + "\n" +
                              "x\n" + "8/8/8/8/8/8/8/8 w - - bm Kh7; id \"no kings\";\n";
    lines out = run_suite({{"epd/mates.epd", suite}}, "epd 1");
    EXPECT_EQ(verdicts(out), (lines{"solved", "not solved", "solved", "not solved", "not solved"}));
    auto header = std::find(out.begin(), out.end(), "8/8/8/8/8/8/8/8 w - - <8>");
    ASSERT_NE(header, out.end());
    EXPECT_EQ(*(header + 1), "illegal position: there must be exactly one king of each colour");
    EXPECT_EQ(out.back(), "total test: 8 solved: 2 percent: 25.0%");
}

TEST(Epd, LongLinesCrLfAndLongFiles) {
    std::string record = MATE_IN_ONE + " bm Ra8#; id \"";
    record += std::string(LONG_LINE - record.size() - 2, 'x') + "\";";
    ASSERT_EQ(record.size(), size_t(LONG_LINE));
    lines out = run_suite({{"epd/datanew.epd", record + "\r\n" + record + "\r\n"}}, "epd 2");
    EXPECT_TRUE(contains(out, "2 lines where read"));
    EXPECT_TRUE(contains(out, "Ra8#"));
    EXPECT_EQ(out.back(), "total test: 2 solved: 2 percent: 100.0%");

    std::string many;
    for (int i = 0; i < MANY_LINES; i++) many += MATED + " bm Kh7;\n";
    out = run_suite({{"epd/BravEG.epd", many}}, "epd 9");
    EXPECT_TRUE(contains(out, std::to_string(LINES_KEPT) + " lines where read"));
    EXPECT_EQ(out.back(), SUMMARY + std::to_string(LINES_KEPT) + " solved: 0 percent: 0.0%");
}

TEST(Epd, EmptyAndMissingSuites) {
    lines out = run_suite({{"epd/silent.epd", ""}}, "epd 6");
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(lines(out.end() - 3, out.end()),
              (lines{"0 lines where read", "hash table size = 16 Mb",
                     "total test: 0 solved: 0 percent: 0.0%"}));

    // A missing file, or a number outside 1..9, leaves the engine waiting
    // for the next command; the table is not set up for a suite not run.
    engine_process e;
    for (const char* l : {"epd 5", "epd 0", "epd 10", "epd", "eval", "quit"}) e.send(l);
    out = e.read_to_end();
    ASSERT_GE(out.size(), 3u);
    const std::string missing = engine_suite_folder().engine_text + "undermined.epd";
    EXPECT_EQ(lines(out.end() - 3, out.end()),
              (lines{missing, "cannot open file: " + missing, "0"}));
    EXPECT_EQ(e.wait_exit(), 0);
}
