// The bitbase library itself, called as the engine calls it, answering from
// Debian's Gaviota tables. Skipped where those are not installed.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/egbb_interface.h"

namespace {

const std::string LIBRARY_DIR = KORVEL_EGBB_DIR; // empty when the library was not built
const std::string DEBIAN_TABLES = KORVEL_GAVIOTA_TABLES_DIR;
constexpr int CACHE_BYTES = 4 * 1048576;
constexpr int WIN_LIMIT = 3000; // scores beyond this are the search's mate scores

// Squares from a1.
constexpr int A1 = 0, B1 = 1, E1 = 4, H1 = 7, B2 = 9, E2 = 12, E4 = 28, E5 = 36;
constexpr int G6 = 46, B7 = 49, C7 = 50, E7 = 52, A8 = 56, H8 = 63;

bool file_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

class EgbbLibrary : public testing::Test {
  protected:
    static void* handle;
    static egbb_load_call load;
    static egbb_probe_call probe_call;

    // The library's own folder holds no tables, so Debian's are read.
    static void SetUpTestSuite() {
        if (LIBRARY_DIR.empty() || !file_exists(DEBIAN_TABLES + "/gtb4/kqk.gtb.cp4")) return;
        handle = dlopen((LIBRARY_DIR + "egbbso64.so").c_str(), RTLD_NOW);
        if (!handle) return;
        load = reinterpret_cast<egbb_load_call>(dlsym(handle, EGBB_LOAD_NAME));
        probe_call = reinterpret_cast<egbb_probe_call>(dlsym(handle, EGBB_PROBE_NAME));
        load(LIBRARY_DIR.c_str(), CACHE_BYTES, 1);
    }
    static void TearDownTestSuite() {
        if (handle) dlclose(handle);
        handle = nullptr;
    }
    void SetUp() override {
        if (!handle) GTEST_SKIP() << "the bitbase library or Debian's gaviotatb tables are absent";
        ASSERT_NE(load, nullptr);
        ASSERT_NE(probe_call, nullptr);
    }

    // One piece besides the kings.
    static int probe(int player, int white_king, int black_king, int piece, int square) {
        return probe_call(player, white_king, black_king, piece, square, 0, 0, 0, 0);
    }
};

// A folder of its own under /tmp, removed with what it holds.
class scratch_folder {
  public:
    scratch_folder() {
        char name[] = "/tmp/korvel-tables-XXXXXX";
        if (mkdtemp(name)) path = std::string(name) + "/";
    }
    ~scratch_folder() {
        std::error_code error;
        if (!path.empty()) std::filesystem::remove_all(path, error);
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path + name, std::ios::binary) << bytes;
    }

    std::string path; // with its final separator; empty on failure
};

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Sets the 32-bit little-endian word at the byte offset.
void set_word(std::string& bytes, size_t at, uint32_t word) {
    for (int i = 0; i < 4; i++) bytes[at + i] = char(word >> (8 * i));
}

void* EgbbLibrary::handle = nullptr;
egbb_load_call EgbbLibrary::load = nullptr;
egbb_probe_call EgbbLibrary::probe_call = nullptr;

constexpr int W = EGBB_WHITE_TO_MOVE, B = EGBB_BLACK_TO_MOVE;

} // namespace

TEST_F(EgbbLibrary, WinsFallWithTheDistanceToMate) {
    int mate_in_one = probe(W, G6, H8, EGBB_WHITE_ROOK, A1); // Ra8 mates
    int longer = probe(W, A1, H1, EGBB_WHITE_QUEEN, B2);
    EXPECT_GT(longer, 0);
    EXPECT_GT(mate_in_one, longer);
    EXPECT_LT(mate_in_one, WIN_LIMIT);
    // Mated already: the lowest loss, one ply below the mate in one.
    int mated = probe(B, C7, A8, EGBB_WHITE_QUEEN, B7);
    EXPECT_EQ(mated, -(mate_in_one + 1));
    // Black to move in the same queen ending loses, one ply further from mate.
    int lost = probe(B, A1, H1, EGBB_WHITE_QUEEN, B2);
    EXPECT_LT(lost, 0);
    EXPECT_GT(lost, -WIN_LIMIT);
}

TEST_F(EgbbLibrary, ColoursAreMirrored) {
    EXPECT_EQ(probe(B, H8, A8, EGBB_BLACK_QUEEN, B7), probe(W, A1, H1, EGBB_WHITE_QUEEN, B2));
    EXPECT_EQ(probe(W, E2, E4, EGBB_BLACK_PAWN, E5), probe(B, E5, E7, EGBB_WHITE_PAWN, E4));
}

// King e5 and pawn e4 against king e7: whoever moves gives up the opposition.
TEST_F(EgbbLibrary, PawnEndingsAndBareKings) {
    EXPECT_EQ(probe(W, E5, E7, EGBB_WHITE_PAWN, E4), 0);
    int black_to_move = probe(B, E5, E7, EGBB_WHITE_PAWN, E4);
    EXPECT_LT(black_to_move, 0);
    EXPECT_GT(black_to_move, -WIN_LIMIT);
    EXPECT_EQ(probe(W, E1, E7, EGBB_NO_PIECE, 0), 0);
    EXPECT_EQ(probe(B, E1, E7, EGBB_WHITE_KNIGHT, B1), 0);
}

TEST_F(EgbbLibrary, WhatIsNoPositionIsNotFound) {
    const int bad[][5] = {
        {2, A1, H1, EGBB_WHITE_QUEEN, B2},           // no such side
        {-1, A1, H1, EGBB_WHITE_QUEEN, B2},          // no such side
        {W, EGBB_NO_KING, H1, EGBB_WHITE_QUEEN, B2}, // no white king
        {W, A1, 64, EGBB_WHITE_QUEEN, B2},           // off the board
        {W, A1, H1, EGBB_WHITE_QUEEN, -3},           // off the board
        {W, A1, H1, EGBB_WHITE_QUEEN, A1},           // two men on a1
        {W, A1, A1, EGBB_NO_PIECE, 0},               // both kings on a1
        {W, A1, H1, EGBB_WHITE_PAWN, E1},            // pawn on the first rank
        {B, A1, H1, EGBB_BLACK_PAWN, A8},            // pawn on the last rank
        {W, A1, H1, 1, B2},                          // unknown code
        {W, A1, H1, 7, B2},                          // unknown code
        {W, A1, H1, 13, B2},                         // unknown code
        {W, A1, H1, EGBB_WHITE_QUEEN, B1},           // the side not to move in check
        {W, A1, B2, EGBB_NO_PIECE, 0},               // kings side by side
    };
    for (const auto& c : bad) {
        EXPECT_EQ(probe(c[0], c[1], c[2], c[3], c[4]), EGBB_NOT_FOUND)
            << c[0] << " " << c[1] << " " << c[2] << " " << c[3] << " " << c[4];
    }
    if (!file_exists(DEBIAN_TABLES + "/gtb4/kqkr.gtb.cp4")) {
        EXPECT_EQ(probe_call(W, A1, H8, EGBB_WHITE_QUEEN, B2, EGBB_BLACK_ROOK, C7, 0, 0),
                  EGBB_NOT_FOUND);
    }
}

// Tables in another compression scheme are read from the given folder, and
// Debian's folder of that scheme supplies the rest.
TEST_F(EgbbLibrary, TheGivenFolderChoosesTheScheme) {
    int queen = probe(W, A1, H1, EGBB_WHITE_QUEEN, B2);
    int pawn = probe(B, E5, E7, EGBB_WHITE_PAWN, E4);
    char folder[] = "/tmp/korvel-tables-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string table = std::string(folder) + "/kqk.gtb.cp2";
    ASSERT_EQ(symlink((DEBIAN_TABLES + "/gtb2/kqk.gtb.cp2").c_str(), table.c_str()), 0);
    EXPECT_NE(load((std::string(folder) + "/").c_str(), CACHE_BYTES, 1), 0);
    EXPECT_EQ(probe(W, A1, H1, EGBB_WHITE_QUEEN, B2), queen);
    EXPECT_EQ(probe(B, E5, E7, EGBB_WHITE_PAWN, E4), pawn);
    unlink(table.c_str());
    rmdir(folder);
    // No folder at all falls back to Debian's tables too.
    EXPECT_NE(load(nullptr, 0, 1), 0);
    EXPECT_EQ(probe(W, A1, H1, EGBB_WHITE_QUEEN, B2), queen);
    load(LIBRARY_DIR.c_str(), CACHE_BYTES, 1);
}

// Each damaged table is reported on standard error and left out, and
// Debian's table of the same material answers in its place: an empty file, a
// file of noise, one cut short, one whose block index points past its end,
// a folder under a table's name, and a table in a scheme that is not read.
TEST_F(EgbbLibrary, DamagedTablesAreSkipped) {
    const int queen = probe(W, A1, H1, EGBB_WHITE_QUEEN, B2);
    const int rook = probe(W, G6, H8, EGBB_WHITE_ROOK, A1);
    const int pawn = probe(B, E5, E7, EGBB_WHITE_PAWN, E4);
    const int bishop = probe(W, E1, E7, EGBB_WHITE_BISHOP, B1);
    scratch_folder folder;
    ASSERT_FALSE(folder.path.empty());
    folder.write("kqk.gtb.cp4", "");
    std::string noise(file_bytes(DEBIAN_TABLES + "/gtb4/krk.gtb.cp4").size(), '\0');
    for (size_t i = 0; i < noise.size(); i++) noise[i] = char(i * 37 + i / 251);
    folder.write("krk.gtb.cp4", noise);
    const std::string kpk = file_bytes(DEBIAN_TABLES + "/gtb4/kpk.gtb.cp4");
    folder.write("kpk.gtb.cp4", kpk.substr(0, kpk.size() / 2));
    std::string kbk = file_bytes(DEBIAN_TABLES + "/gtb4/kbk.gtb.cp4");
    ASSERT_GT(kbk.size(), 48u);
    set_word(kbk, 44, uint32_t(kbk.size() + 1)); // the end of the first block
    folder.write("kbk.gtb.cp4", kbk);
    ASSERT_EQ(mkdir((folder.path + "knk.gtb.cp4").c_str(), 0700), 0);
    folder.write("kqkr.gtb.cp1", ""); // a scheme that is not read

    testing::internal::CaptureStderr();
    EXPECT_NE(load(folder.path.c_str(), CACHE_BYTES, 1), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(probe(W, A1, H1, EGBB_WHITE_QUEEN, B2), queen);
    EXPECT_EQ(probe(W, G6, H8, EGBB_WHITE_ROOK, A1), rook);
    EXPECT_EQ(probe(B, E5, E7, EGBB_WHITE_PAWN, E4), pawn);
    EXPECT_EQ(probe(W, E1, E7, EGBB_WHITE_BISHOP, B1), bishop);
    EXPECT_EQ(probe(B, E1, E7, EGBB_WHITE_KNIGHT, B1), 0);
    for (const char* table : {"kqk.gtb.cp4", "krk.gtb.cp4", "kpk.gtb.cp4", "kbk.gtb.cp4",
                              "knk.gtb.cp4", "kqkr.gtb.cp1"}) {
        const std::string line = "bitbase table " + folder.path + table + " skipped: ";
        EXPECT_NE(said.find(line), std::string::npos) << line << "\n" << said;
    }
    load(LIBRARY_DIR.c_str(), CACHE_BYTES, 1);
}

// A file that only looks like a table by its name chooses nothing: Debian's
// tables still answer.
TEST_F(EgbbLibrary, AStrayFileDoesNotChooseTheScheme) {
    const int queen = probe(W, A1, H1, EGBB_WHITE_QUEEN, B2);
    scratch_folder folder;
    ASSERT_FALSE(folder.path.empty());
    folder.write("notes.gtb", "my tables\n");
    testing::internal::CaptureStderr();
    EXPECT_NE(load(folder.path.c_str(), CACHE_BYTES, 1), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(probe(W, A1, H1, EGBB_WHITE_QUEEN, B2), queen);
    EXPECT_NE(said.find("bitbase table " + folder.path + "notes.gtb skipped: "), std::string::npos)
        << said;
    load(LIBRARY_DIR.c_str(), CACHE_BYTES, 1);
}

// Built to look for Debian's tables where there are none: a folder without a
// table that passes loads nothing, says so, and answers nothing.
TEST(EgbbLibraryWithoutTables, SaysThatNoTableLoaded) {
    if (LIBRARY_DIR.empty()) GTEST_SKIP() << "the bitbase library was not built";
    void* handle = dlopen((LIBRARY_DIR + "no_debian/egbbso64.so").c_str(), RTLD_NOW);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto load = reinterpret_cast<egbb_load_call>(dlsym(handle, EGBB_LOAD_NAME));
    auto probe_call = reinterpret_cast<egbb_probe_call>(dlsym(handle, EGBB_PROBE_NAME));
    ASSERT_NE(load, nullptr);
    ASSERT_NE(probe_call, nullptr);
    scratch_folder folder;
    ASSERT_FALSE(folder.path.empty());
    folder.write("notes.gtb", "");
    testing::internal::CaptureStderr();
    EXPECT_EQ(load(folder.path.c_str(), CACHE_BYTES, 1), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("bitbase tables: none could be loaded from " + folder.path + " or "),
              std::string::npos)
        << said;
    EXPECT_EQ(probe_call(W, A1, H1, EGBB_WHITE_QUEEN, B2, 0, 0, 0, 0), EGBB_NOT_FOUND);
    dlclose(handle);
}
