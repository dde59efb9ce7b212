// Reading a SAN word on a position reached from the start by legal moves the
// input chooses: the reader may try moves on the board but must leave it as
// it found it, and a move it names that the generator also gives must play
// and take back cleanly.
#include <cstddef>
#include <cstdint>
#include <string>

#include "board/board.h"
#include "chess.h"
#include "fuzz_support.h"
#include "movegen/mlist.h"
#include "shell/move_text.h"

constexpr int MAX_PLIES = 64;

namespace {

// The first byte counts the plies, each next byte picks one legal move.
size_t play_chosen_moves(const uint8_t* data, size_t size) {
    target_board->set_position(START_FEN);
    if (size == 0) return 0;
    const int plies = data[0] % (MAX_PLIES + 1);
    size_t at = 1;
    for (int ply = 0; ply < plies && at < size; ply++, at++) {
        const int legal = target_lists->generate_legal_moves(*target_board, 0);
        if (legal == 0) break;
        FUZZ_CHECK(target_board->make_move(target_lists->moves[data[at] % legal]));
    }
    return at;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    start_board_target();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t at = play_chosen_moves(data, size);
    const std::string text(reinterpret_cast<const char*>(data + at), size - at);
    const uint64_t key = target_board->key;
    const int history = target_board->history_count;
    move m;
    parse_san(*target_board, text.c_str(), &m);
    FUZZ_CHECK(target_board->key == key && target_board->history_count == history &&
               target_board->board_ok());
    if (m == no_move || !generated(m)) return 0;
    if (target_board->make_move(m)) {
        FUZZ_CHECK(target_board->board_ok());
        target_board->unmake_move();
    }
    FUZZ_CHECK(target_board->key == key && target_board->history_count == history &&
               target_board->board_ok());
    return 0;
}
