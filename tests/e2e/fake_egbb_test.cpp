// Loading the bitbase library and the probe's calling form, through the real
// binary with the logging stand-in library, which writes each call it gets
// to a file in the engine's working folder.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "e2e/engine_command.h"
#include "e2e/engine_process.h"
#include "fake_egbb/fake_egbb.h"

namespace {

using lines = std::vector<std::string>;

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

lines file_lines(const std::string& path) {
    std::istringstream text(file_text(path));
    lines out;
    for (std::string l; std::getline(text, l);) out.push_back(l);
    return out;
}

} // namespace

// King and queen against king, White to move, then king and pawn against
// king, Black to move: squares counted from a1, the side to move 0 for White.
TEST(FakeEgbb, LoadedAndProbedInTheLibrarysCallingForm) {
    const std::string library = engine_fake_egbb();
    const std::string bytes = file_text(library);
    ASSERT_FALSE(bytes.empty()) << library;
    const std::string name = library.substr(library.rfind('/') + 1);
    engine_process e({{"tb/" + name, bytes}, {"korvel.cfg", "egbb_path tb/\negbb_cache 16\n"}});
    for (const char* l : {"nopost", "sb 8/8/8/8/8/8/1Q6/K6k w - -", "egbb",
                          "sb 8/4k3/8/4K3/4P3/8/8/8 b - -", "egbb", "quit"})
        e.send(l);
    const lines out = e.read_to_end();
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(lines(out.begin() + 2, out.end()),
              (lines{"egbb_path = tb/", "EgbbProbe Loaded!", "egbb score = 0", "egbb score = 0"}));
    EXPECT_EQ(e.wait_exit(), 0);
    EXPECT_EQ(
        file_lines(e.directory() + "/" + FAKE_LOG_FILE),
        (lines{"load tb/ 16777216 1", "probe 0 0 7 2 9 0 0 0 0", "probe 1 36 52 6 28 0 0 0 0"}));
}
