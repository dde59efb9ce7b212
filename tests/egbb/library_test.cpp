// The bitbase library itself, called as the engine calls it, answering from
// Debian's Gaviota tables. Skipped where those are not installed.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "egbb/interface.h"

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
