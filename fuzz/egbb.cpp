// The bitbase library's table loading: any bytes may stand in a table file
// of the user's folder. The library is loaded with that folder and the
// file's material probed all over the board; nothing may crash, and every
// answer must be a score within the bitbase range or "not found".
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "egbb/exports.h"
#include "fuzz_support.h"
#include "shell/egbb_interface.h"

constexpr const char* TABLE_FOLDER = "tables/";
constexpr int CACHE_BYTES = 1 << 20;
constexpr int LOAD_OPTION = 1;
constexpr int WIN_SCORE = 2900; // the best bitbase score; mates come later

namespace {

// The first input byte picks the file's name, so every scheme read and a
// material Debian's tables lack are reached; the rest is the file.
struct table_case {
    const char* file;
    int pieces[EGBB_PIECE_SLOTS]; // probed on the squares below
};

constexpr table_case TABLES[] = {
    {"kqk.gtb.cp4", {EGBB_WHITE_QUEEN}},
    {"kpk.gtb.cp4", {EGBB_WHITE_PAWN}},
    {"kbk.gtb.cp3", {EGBB_WHITE_BISHOP}},
    {"knk.gtb.cp2", {EGBB_WHITE_KNIGHT}},
    {"krk.gtb", {EGBB_WHITE_ROOK}},
    {"kqkr.gtb.cp4", {EGBB_WHITE_QUEEN, EGBB_BLACK_ROOK}},
    {"kbpkp.gtb.cp4", {EGBB_WHITE_BISHOP, EGBB_WHITE_PAWN, EGBB_BLACK_PAWN}},
};
constexpr int TABLE_COUNT = int(sizeof TABLES / sizeof TABLES[0]);

// Spread over the board, so that the probes fall into many blocks.
constexpr int KING_SQUARES[] = {0, 10, 27, 63};
constexpr int PIECE_SQUARES[] = {12, 19, 33, 50, 54, 41};
constexpr int KING_COUNT = int(sizeof KING_SQUARES / sizeof KING_SQUARES[0]);
constexpr int PIECE_COUNT = int(sizeof PIECE_SQUARES / sizeof PIECE_SQUARES[0]);

void clear_folder() {
    std::error_code ignored;
    std::filesystem::remove_all(TABLE_FOLDER, ignored);
    std::filesystem::create_directory(TABLE_FOLDER, ignored);
}

// The library names every file it skips on standard error; that would bury
// libFuzzer's own report in one line per input, so it goes nowhere while
// the library loads. A crash there still fails the run and keeps the input.
int load_quietly() {
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (saved >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
    const int loaded = load_egbb_5men(TABLE_FOLDER, CACHE_BYTES, LOAD_OPTION);
    fflush(stderr);
    if (saved >= 0) dup2(saved, STDERR_FILENO);
    if (saved >= 0) close(saved);
    if (nowhere >= 0) close(nowhere);
    return loaded;
}

void check_score(int score) {
    FUZZ_CHECK(score == EGBB_NOT_FOUND || (score >= -WIN_SCORE && score <= WIN_SCORE));
}

void probe_material(const table_case& t) {
    for (int player : {EGBB_WHITE_TO_MOVE, EGBB_BLACK_TO_MOVE}) {
        for (int w = 0; w < KING_COUNT; w++) {
            for (int k = 0; k < KING_COUNT; k++) {
                for (int p = 0; p < PIECE_COUNT; p++) {
                    int squares[EGBB_PIECE_SLOTS];
                    for (int i = 0; i < EGBB_PIECE_SLOTS; i++)
                        squares[i] = t.pieces[i] ? PIECE_SQUARES[(p + 3 * i) % PIECE_COUNT] : 0;
                    check_score(probe_egbb_5men(player, KING_SQUARES[w], KING_SQUARES[k] ^ 7,
                                                t.pieces[0], squares[0], t.pieces[1], squares[1],
                                                t.pieces[2], squares[2]));
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_dir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const table_case& t = TABLES[data[0] % TABLE_COUNT];
    clear_folder();
    write_file((std::string(TABLE_FOLDER) + t.file).c_str(), data + 1, size - 1);
    load_quietly();
    probe_material(t);
    return 0;
}
