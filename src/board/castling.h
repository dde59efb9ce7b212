// The four castlings, each given as the king's move; the rook's move is implied.
#pragma once

#include "board/types.h"

struct castling {
    int right; // bit of castle_rights
    int king_from;
    int king_to;
    int rook_home;
    int rook_to;
    int must_be_empty[3];
    int must_be_safe[3]; // the king's square first
};

constexpr castling CASTLINGS[4] = {
    {1, E1, G1, H1, F1, {F1, G1, NO_SQUARE}, {E1, F1, G1}},
    {2, E1, C1, A1, D1, {D1, C1, B1}, {E1, D1, C1}},
    {4, E8, G8, H8, F8, {F8, G8, NO_SQUARE}, {E8, F8, G8}},
    {8, E8, C8, A8, D8, {D8, C8, B8}, {E8, D8, C8}},
};

// The castling whose king lands on `to`, or nullptr.
inline const castling* castling_to(int to) {
    for (const castling& c : CASTLINGS)
        if (c.king_to == to) return &c;
    return nullptr;
}
