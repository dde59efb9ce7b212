// What a make and its unmake, or a light make and its undo, must give back,
// for the unit tests and the fuzz targets alike. Piece rows are compared as
// sets: a piece that is put back may take another slot of its row.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "board/board.h"

struct snapshot {
    std::vector<int> nodes, rows;
    int side, rights, ep, fifty, history, castled_white, castled_black;
    uint32_t last;
    uint64_t key;

    explicit snapshot(const board& b)
        : side(b.side_to_move), rights(b.castle_rights), ep(b.ep_square), fifty(b.fifty_count),
          history(b.history_count), castled_white(b.castled[WHITE]),
          castled_black(b.castled[BLACK]), last(b.last_move.packed()), key(b.key) {
        for (const square_node& n : b.squares) nodes.push_back(n.piece << 8 | n.colour);
        for (int colour : {WHITE, BLACK}) {
            const piece_table& t = b.pieces_of(colour);
            for (int type = PAWN; type <= KING; type++) {
                std::vector<int> row(t[type], t[type] + PIECE_SLOTS);
                std::sort(row.begin(), row.end());
                rows.push_back(t[COUNT_ROW][type]);
                rows.insert(rows.end(), row.begin(), row.end());
            }
        }
    }

    // The placement and the counters, but not the key, the en passant square
    // or the castled marks, which the light make does not keep.
    bool same_position(const snapshot& o) const {
        return nodes == o.nodes && rows == o.rows && side == o.side && rights == o.rights &&
               fifty == o.fifty && history == o.history && last == o.last;
    }
    bool operator==(const snapshot& o) const {
        return same_position(o) && ep == o.ep && castled_white == o.castled_white &&
               castled_black == o.castled_black && key == o.key;
    }
};
