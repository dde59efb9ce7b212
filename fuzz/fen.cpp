// Position set-up as the commands do it: the FEN is checked with
// position_problem and set only when accepted; then every move two plies
// deep is made and taken back, and the board must stay consistent.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "board/board.h"
#include "board/key_table.h"
#include "fuzz_support.h"
#include "movegen/mlist.h"

constexpr int WALK_PLIES = 2;

namespace {

std::unique_ptr<board> b;
std::unique_ptr<mlist> lists;

// Everything a make and its unmake must leave as it was.
struct snapshot {
    uint64_t key;
    int side_to_move, castle_rights, ep_square, fifty_count, history_count;
    square_node squares[64];

    explicit snapshot(const board& from)
        : key(from.key), side_to_move(from.side_to_move), castle_rights(from.castle_rights),
          ep_square(from.ep_square), fifty_count(from.fifty_count),
          history_count(from.history_count) {
        memcpy(squares, from.squares, sizeof squares);
    }
    bool same(const board& now) const {
        return key == now.key && side_to_move == now.side_to_move &&
               castle_rights == now.castle_rights && ep_square == now.ep_square &&
               fifty_count == now.fifty_count && history_count == now.history_count &&
               memcmp(squares, now.squares, sizeof squares) == 0;
    }
};

bool reaches_last_rank_unpromoted(move m, int mover) {
    const int last_rank = mover == WHITE ? 8 : 1;
    return (m.flags & FLAG_PAWN) && rank_of(m.to) == last_rank && !(m.flags & FLAG_PROMOTE);
}

void walk(int ply, int plies_left) {
    lists->generate_moves(*b, ply);
    for (int i = lists->first[ply]; i < lists->first[ply + 1]; i++) {
        const snapshot before(*b);
        const int mover = b->side_to_move;
        if (!b->make_move(lists->moves[i])) {
            FUZZ_CHECK(before.same(*b));
            continue;
        }
        FUZZ_CHECK(b->board_ok());
        // A legal move never leaves the mover's own king attacked, and a
        // pawn that reaches the last rank is always promoted.
        FUZZ_CHECK(!b->is_attacked(b->king_square(mover), mover ^ 1));
        FUZZ_CHECK(!reaches_last_rank_unpromoted(lists->moves[i], mover));
        if (plies_left > 1) walk(ply + 1, plies_left - 1);
        b->unmake_move();
        FUZZ_CHECK(b->board_ok());
        FUZZ_CHECK(before.same(*b));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_dir();
    init_key_table();
    b = std::make_unique<board>();
    lists = std::make_unique<mlist>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fen = first_line(data, size);
    if (position_problem(fen.c_str())) return 0;
    b->set_position(fen.c_str());
    FUZZ_CHECK(b->board_ok());
    lists->first[0] = 0;
    walk(0, WALK_PLIES);
    return 0;
}
