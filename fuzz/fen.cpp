// Position set-up as the commands do it: the FEN is checked with
// position_problem and set only when accepted; then every move two plies
// deep is made and taken back, and the board must stay consistent.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "board/board.h"
#include "fuzz_support.h"
#include "movegen/mlist.h"
#include "support/board_snapshot.h"

constexpr int WALK_PLIES = 2;

namespace {

bool reaches_last_rank_unpromoted(move m, int mover) {
    const int last_rank = mover == WHITE ? 8 : 1;
    return (m.flags & FLAG_PAWN) && rank_of(m.to) == last_rank && !(m.flags & FLAG_PROMOTE);
}

void walk(int ply, int plies_left) {
    target_lists->generate_moves(*target_board, ply);
    for (int i = target_lists->first[ply]; i < target_lists->first[ply + 1]; i++) {
        const snapshot before(*target_board);
        const int mover = target_board->side_to_move;
        if (!target_board->make_move(target_lists->moves[i])) {
            FUZZ_CHECK(snapshot(*target_board) == before);
            continue;
        }
        FUZZ_CHECK(target_board->board_ok());
        // A legal move never leaves the mover's own king attacked, and a
        // pawn that reaches the last rank is always promoted.
        FUZZ_CHECK(!target_board->is_attacked(target_board->king_square(mover), mover ^ 1));
        FUZZ_CHECK(!reaches_last_rank_unpromoted(target_lists->moves[i], mover));
        if (plies_left > 1) walk(ply + 1, plies_left - 1);
        target_board->unmake_move();
        FUZZ_CHECK(target_board->board_ok());
        FUZZ_CHECK(snapshot(*target_board) == before);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    start_board_target();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fen = first_line(data, size);
    if (position_problem(fen.c_str())) return 0;
    target_board->set_position(fen.c_str());
    FUZZ_CHECK(target_board->board_ok());
    target_lists->first[0] = 0;
    walk(0, WALK_PLIES);
    return 0;
}
