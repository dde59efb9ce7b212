// Start-up output and the configuration file, through the real binary.
#include <gtest/gtest.h>

#include "e2e/engine_process.h"

namespace {

using lines = std::vector<std::string>;

const std::string BANNER_START = "Korvel v1.01 (";
const std::string BANNER_END = ") Feb 6 2011 (xboard/UCI)";

// Output of start-up, then "new" (which prints the book line and the table
// size), then quit.
lines start_with_config(const std::string& config) {
    engine_process::file_list files;
    if (!config.empty()) files.push_back({"korvel.cfg", config});
    return run_engine({"new", "quit"}, files);
}

} // namespace

TEST(Startup, WithoutConfigurationFile) {
    lines out = run_engine({"quit"});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].compare(0, BANNER_START.size(), BANNER_START), 0) << out[0];
    EXPECT_GE(out[0].size(), BANNER_START.size() + BANNER_END.size());
    EXPECT_EQ(out[0].substr(out[0].size() - BANNER_END.size()), BANNER_END);
    EXPECT_EQ(out[1], "configuration file: \"korvel.cfg\" -- not present");
    EXPECT_EQ(out[2], "EgbbProbe not Loaded!");
}

TEST(Startup, HashSizeLimitsAndComments) {
    struct {
        const char* config;
        const char* table_line;
    } cases[] = {
        {"hash 1\n", "hash table size = 16 Mb"},
        {"hash 999\n", "hash table size = 16 Mb"},
        {"hash 2\n", "hash table size = 2 Mb"},
        {"hash 998\n", "hash table size = 998 Mb"},
        {"# hash 64\n", "hash table size = 16 Mb"},
        {" hash 64\n", "hash table size = 16 Mb"},
        {"hashsize 32\n", "hash table size = 16 Mb"},
        {"hash 64\r\nhash 1\r\n", "hash table size = 64 Mb"},
        {"hash 64\rhash 8\r", "hash table size = 8 Mb"},
        {"hash 32\nhash 8\n", "hash table size = 8 Mb"},
        {"hash", "hash table size = 16 Mb"},
    };
    for (const auto& c : cases) {
        lines out = start_with_config(c.config);
        ASSERT_EQ(out.size(), 5u) << c.config;
        EXPECT_EQ(out[1], "configuration file: \"korvel.cfg\" -- found");
        EXPECT_EQ(out[4], c.table_line) << c.config;
    }
}

TEST(Startup, BitbasePathIsEchoedAndKeepsItsText) {
    lines out = start_with_config("egbb_path    /tmp/tb/\negbb_cache 8\negbb_cache 16\n");
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[1], "configuration file: \"korvel.cfg\" -- found");
    EXPECT_EQ(out[2], "egbb_path = /tmp/tb/");
    EXPECT_EQ(out[3], "EgbbProbe not Loaded!");
}

TEST(Startup, EndOfInputEndsTheProcessCleanly) {
    engine_process e;
    e.send("perft 1");
    e.close_input();
    lines out = e.read_to_end();
    EXPECT_EQ(out[3], "perft(1): 20");
    EXPECT_EQ(e.wait_exit(), 0);
}
