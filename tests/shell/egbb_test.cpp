// The bitbase adapter against stand-in libraries that record every call.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "board/board.h"
#include "fake_egbb/fake_egbb.h"
#include "shell/config.h"
#include "shell/egbb.h"
#include "shell/egbb_interface.h"

namespace {

using arguments = std::array<int, PROBE_ARGUMENTS>;

const std::string FAKES = KORVEL_FAKE_EGBB_DIR;
const std::string LIBRARY_FILE = "egbbso64.so";
const std::string NOT_LOADED = "EgbbProbe not Loaded!\n";
const std::string LOADED = "EgbbProbe Loaded!\n";
constexpr int CACHE_BYTES = 16 * 1048576;
constexpr int ANSWER = 1234;

// Opens the stand-in in one folder for the test's own use: the adapter later
// opens the same file and so shares its record.
class fake_library {
  public:
    explicit fake_library(const std::string& folder) {
        handle_ = dlopen((FAKES + folder + "/" + LIBRARY_FILE).c_str(), RTLD_NOW);
        if (!handle_) return;
        auto state = reinterpret_cast<fake_state_call>(dlsym(handle_, FAKE_STATE_NAME));
        record = state();
        *record = fake_egbb_record{};
        record->answer = ANSWER;
    }
    ~fake_library() {
        if (handle_) dlclose(handle_);
    }
    fake_library(const fake_library&) = delete;
    fake_library& operator=(const fake_library&) = delete;

    fake_egbb_record* record = nullptr;

  private:
    void* handle_ = nullptr;
};

class EgbbAdapter : public testing::Test {
  protected:
    std::unique_ptr<board> b = std::make_unique<board>();

    // What egbb_load printed, for egbb_path set to the text.
    static std::string load_from(const std::string& path) {
        snprintf(egbb_path, sizeof egbb_path, "%s", path.c_str());
        egbb_cache_bytes = CACHE_BYTES;
        testing::internal::CaptureStdout();
        egbb_load();
        return testing::internal::GetCapturedStdout();
    }

    // Leaves no library behind for the tests that follow.
    void TearDown() override { load_from(FAKES + "missing/"); }

    arguments probe(fake_egbb_record* record, const char* fen, int expected_calls = 1) {
        b->set_position(fen);
        int score = 0;
        bool found = egbb_probe(*b, &score);
        EXPECT_EQ(found, record->answer != EGBB_NOT_FOUND) << fen;
        EXPECT_EQ(score, record->answer) << fen;
        EXPECT_EQ(record->probe_calls, expected_calls) << fen;
        arguments a;
        for (int i = 0; i < PROBE_ARGUMENTS; i++) a[i] = record->probe_arguments[i];
        return a;
    }
};

} // namespace

TEST_F(EgbbAdapter, LoadsOnceWithThePathTheCacheAndOptionOne) {
    fake_library fake("full");
    ASSERT_NE(fake.record, nullptr);
    EXPECT_EQ(load_from(FAKES + "full/"), LOADED);
    EXPECT_EQ(fake.record->load_calls, 1);
    EXPECT_EQ(std::string(fake.record->load_path), FAKES + "full/");
    EXPECT_EQ(fake.record->load_cache_bytes, CACHE_BYTES);
    EXPECT_EQ(fake.record->load_option, 1);
    EXPECT_EQ(fake.record->probe_calls, 0);
}

// Side to move flipped, squares numbered from a1, kings apart, the other
// pieces in board order from a8 to h1, empty slots as piece 0 on square 0.
TEST_F(EgbbAdapter, EncodesThePosition) {
    fake_library fake("full");
    ASSERT_NE(fake.record, nullptr);
    ASSERT_EQ(load_from(FAKES + "full/"), LOADED);
    EXPECT_EQ(probe(fake.record, "8/8/8/8/8/8/1Q6/K6k w - -", 1),
              (arguments{0, 0, 7, EGBB_WHITE_QUEEN, 9, 0, 0, 0, 0}));
    EXPECT_EQ(probe(fake.record, "8/8/8/8/8/8/1Q6/K6k b - -", 2),
              (arguments{1, 0, 7, EGBB_WHITE_QUEEN, 9, 0, 0, 0, 0}));
    EXPECT_EQ(probe(fake.record, "4k3/8/8/8/8/8/4P3/4K3 w - -", 3),
              (arguments{0, 4, 60, EGBB_WHITE_PAWN, 12, 0, 0, 0, 0}));
    EXPECT_EQ(
        probe(fake.record, "k7/8/8/3n4/8/8/4P3/K6r b - -", 4),
        (arguments{1, 0, 56, EGBB_BLACK_KNIGHT, 35, EGBB_WHITE_PAWN, 12, EGBB_BLACK_ROOK, 7}));
    EXPECT_EQ(probe(fake.record, "7K/1p6/8/8/8/8/6B1/k7 w - -", 5),
              (arguments{0, 63, 0, EGBB_BLACK_PAWN, 49, EGBB_WHITE_BISHOP, 14, 0, 0}));
    EXPECT_EQ(probe(fake.record, "k7/8/8/8/8/8/8/K7 w - -", 6),
              (arguments{0, 0, 56, 0, 0, 0, 0, 0, 0}));
}

TEST_F(EgbbAdapter, PassesTheAnswerOnAndNotFoundIsNotFound) {
    fake_library fake("full");
    ASSERT_NE(fake.record, nullptr);
    ASSERT_EQ(load_from(FAKES + "full/"), LOADED);
    fake.record->answer = -2871;
    probe(fake.record, "8/8/8/8/8/8/1Q6/K6k b - -", 1);
    fake.record->answer = EGBB_NOT_FOUND;
    probe(fake.record, "8/8/8/8/8/8/1Q6/K6k b - -", 2);
}

TEST_F(EgbbAdapter, FourPiecesBesidesTheKingsAreNeverProbed) {
    fake_library fake("full");
    ASSERT_NE(fake.record, nullptr);
    ASSERT_EQ(load_from(FAKES + "full/"), LOADED);
    b->set_position("k7/8/8/8/8/8/PPP5/KN6 w - -");
    EXPECT_EQ(b->pieces_besides_kings(), 4);
    EXPECT_FALSE(egbb_in_domain(*b));
    int score = 0;
    EXPECT_FALSE(egbb_probe(*b, &score));
    EXPECT_EQ(score, EGBB_NOT_FOUND);
    EXPECT_EQ(fake.record->probe_calls, 0);
    b->set_position("k7/8/8/8/8/8/PP6/KN6 w - -");
    EXPECT_EQ(b->pieces_besides_kings(), 3);
    EXPECT_TRUE(egbb_in_domain(*b));
}

// The tables know nothing of en passant; here exd6 leaves king and pawn against king.
TEST_F(EgbbAdapter, AnEnPassantSquareIsNeverProbed) {
    fake_library fake("full");
    ASSERT_NE(fake.record, nullptr);
    ASSERT_EQ(load_from(FAKES + "full/"), LOADED);
    b->set_position("8/8/8/3pP3/8/8/8/k6K w - d6");
    int score = 0;
    EXPECT_FALSE(egbb_probe(*b, &score));
    EXPECT_EQ(score, EGBB_NOT_FOUND);
    EXPECT_EQ(fake.record->probe_calls, 0);
    probe(fake.record, "8/8/8/3pP3/8/8/8/k6K w - -", 1);
}

// A square set by a double step matters only when a pawn can take on it:
// none stands beside h4, the one on e5 is pinned by the rook along the
// fifth rank, and the king in check from c1 cannot answer with exd3.
// Taking the checking pawn, or any unhindered capture, keeps the probe away.
TEST_F(EgbbAdapter, OnlyALegalEnPassantCaptureKeepsTheProbeAway) {
    fake_library fake("full");
    ASSERT_NE(fake.record, nullptr);
    ASSERT_EQ(load_from(FAKES + "full/"), LOADED);
    int calls = 0;
    for (const char* fen : {"k7/8/8/8/7P/8/8/4K3 b - h3", "7k/8/8/K2pP2r/8/8/8/8 w - d6",
                            "8/8/8/8/3Pp3/8/8/2R1k2K b - d3"}) {
        probe(fake.record, fen, ++calls);
    }
    for (const char* fen : {"8/8/8/4k3/3Pp3/8/8/K7 b - d3", "8/8/8/8/3Pp3/8/8/k6K b - d3"}) {
        b->set_position(fen);
        int score = 0;
        EXPECT_FALSE(egbb_probe(*b, &score)) << fen;
        EXPECT_EQ(score, EGBB_NOT_FOUND) << fen;
    }
    EXPECT_EQ(fake.record->probe_calls, calls);
}

// The tables know nothing of castling either: Rh1 with the right to castle
// mates sooner than the tables' king and rook would.
TEST_F(EgbbAdapter, APositionWithCastlingRightsIsNeverProbed) {
    fake_library fake("full");
    ASSERT_NE(fake.record, nullptr);
    ASSERT_EQ(load_from(FAKES + "full/"), LOADED);
    for (const char* fen : {"6k1/8/8/8/8/8/8/4K2R w K -", "r3k3/8/8/8/8/8/8/4K3 w q -"}) {
        b->set_position(fen);
        int score = 0;
        EXPECT_FALSE(egbb_probe(*b, &score)) << fen;
        EXPECT_EQ(score, EGBB_NOT_FOUND) << fen;
    }
    EXPECT_EQ(fake.record->probe_calls, 0);
    probe(fake.record, "6k1/8/8/8/8/8/8/4K2R w - -", 1);
}

// Either call missing: the library is not loaded and neither call is made.
TEST_F(EgbbAdapter, ALibraryMissingACallIsNotLoaded) {
    for (const char* folder : {"no_probe", "no_load"}) {
        fake_library fake(folder);
        ASSERT_NE(fake.record, nullptr) << folder;
        EXPECT_EQ(load_from(FAKES + folder + "/"), NOT_LOADED) << folder;
        b->set_position("8/8/8/8/8/8/1Q6/K6k w - -");
        int score = 0;
        EXPECT_FALSE(egbb_probe(*b, &score)) << folder;
        EXPECT_EQ(score, EGBB_NOT_FOUND);
        EXPECT_EQ(fake.record->load_calls, 0) << folder;
        EXPECT_EQ(fake.record->probe_calls, 0) << folder;
    }
}

// The path is joined to the file name as it stands; a failed load also lets
// go of the library loaded before it.
TEST_F(EgbbAdapter, AFailedLoadLeavesNothingToProbe) {
    fake_library fake("full");
    ASSERT_NE(fake.record, nullptr);
    EXPECT_EQ(load_from(FAKES + "full"), NOT_LOADED);
    EXPECT_EQ(load_from(""), NOT_LOADED);
    ASSERT_EQ(load_from(FAKES + "full/"), LOADED);
    EXPECT_EQ(load_from(FAKES + "missing/"), NOT_LOADED);
    b->set_position("8/8/8/8/8/8/1Q6/K6k w - -");
    int score = 0;
    EXPECT_FALSE(egbb_probe(*b, &score));
    EXPECT_EQ(score, EGBB_NOT_FOUND);
    EXPECT_EQ(fake.record->probe_calls, 0);
}
