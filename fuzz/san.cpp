// Reading a SAN word on a position reached from the start by legal moves the
// input chooses: the reader may try moves on the board but must leave it as
// it found it, and a move it names that the generator also gives must play
// and take back cleanly.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "board/board.h"
#include "board/key_table.h"
#include "chess.h"
#include "fuzz_support.h"
#include "movegen/mlist.h"
#include "shell/move_text.h"

constexpr int MAX_PLIES = 64;

namespace {

std::unique_ptr<board> b;
std::unique_ptr<mlist> lists;

// The first byte counts the plies, each next byte picks one legal move.
size_t play_chosen_moves(const uint8_t* data, size_t size) {
    b->set_position(START_FEN);
    if (size == 0) return 0;
    const int plies = data[0] % (MAX_PLIES + 1);
    size_t at = 1;
    for (int ply = 0; ply < plies && at < size; ply++, at++) {
        const int legal = lists->generate_legal_moves(*b, 0);
        if (legal == 0) break;
        FUZZ_CHECK(b->make_move(lists->moves[data[at] % legal]));
    }
    return at;
}

bool generated(move m) {
    lists->generate_moves(*b, 0);
    for (int i = lists->first[0]; i < lists->first[1]; i++)
        if (lists->moves[i] == m) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_dir();
    init_key_table();
    b = std::make_unique<board>();
    lists = std::make_unique<mlist>();
    lists->first[0] = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t at = play_chosen_moves(data, size);
    const std::string text(reinterpret_cast<const char*>(data + at), size - at);
    const uint64_t key = b->key;
    const int history = b->history_count;
    move m;
    parse_san(*b, text.c_str(), &m);
    FUZZ_CHECK(b->key == key && b->history_count == history && b->board_ok());
    if (m == no_move || !generated(m)) return 0;
    if (b->make_move(m)) {
        FUZZ_CHECK(b->board_ok());
        b->unmake_move();
    }
    FUZZ_CHECK(b->key == key && b->history_count == history && b->board_ok());
    return 0;
}
