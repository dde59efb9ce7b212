// The vocabulary every floor of the engine shares: squares, colours, piece
// types, the packed move and its flag bits.
#pragma once

#include <cstdint>

// Squares run 0..63 from a8 to h1, row by row; row 0 is rank 8.
constexpr int NO_SQUARE = -1;
constexpr int A8 = 0, B8 = 1, C8 = 2, D8 = 3, E8 = 4, F8 = 5, G8 = 6, H8 = 7;
constexpr int A1 = 56, B1 = 57, C1 = 58, D1 = 59, E1 = 60, F1 = 61, G1 = 62, H1 = 63;

enum colour_code : int { BLACK = 0, WHITE = 1 };
constexpr uint8_t NO_COLOUR = 0xFF;

enum piece_type : int {
    EMPTY = 0,
    PAWN = 1,
    KNIGHT = 2,
    BISHOP = 3,
    ROOK = 4,
    QUEEN = 5,
    KING = 6
};

// Ray directions, clockwise from north (towards rank 8); even = orthogonal.
enum direction : int { N = 0, NE = 1, E = 2, SE = 3, S = 4, SW = 5, W = 6, NW = 7 };
// A step of each direction in files and rows; rows count from rank 8 down.
constexpr int RAY_FILE_STEP[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int RAY_ROW_STEP[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
// Knight jumps in the order -17, -15, -6, +10, +17, +6, +15, -10.
constexpr int JUMP_FILE_STEP[8] = {-1, 1, 2, 2, 1, -2, -1, -2};
constexpr int JUMP_ROW_STEP[8] = {-2, -2, -1, 1, 2, 1, 2, -1};

constexpr uint8_t FLAG_CAPTURE = 0x01;
constexpr uint8_t FLAG_PAWN = 0x02;
constexpr uint8_t FLAG_DOUBLE = 0x04;
constexpr uint8_t FLAG_PROMOTE = 0x08;
constexpr uint8_t FLAG_CASTLE = 0x10;
constexpr uint8_t FLAG_EP = 0x20;
// An en passant capture carries all three.
constexpr uint8_t EP_FLAGS = FLAG_EP | FLAG_PAWN | FLAG_CAPTURE;

// A move packed into 32 bits: from | to << 8 | promote << 16 | flags << 24.
struct move {
    uint8_t from;
    uint8_t to;
    uint8_t promote;
    uint8_t flags;

    uint32_t packed() const {
        return uint32_t(from) | uint32_t(to) << 8 | uint32_t(promote) << 16 | uint32_t(flags) << 24;
    }
    bool operator==(const move& o) const { return packed() == o.packed(); }
    bool operator!=(const move& o) const { return packed() != o.packed(); }
};

constexpr move no_move = {0, 0, 0, 0};

inline bool moves_differ(const move& a, const move& b) {
    return a != b;
}

inline bool square_ok(int sq) {
    return sq >= 0 && sq < 64;
}
inline int rank_of(int sq) {
    return 8 - sq / 8;
}
inline int file_of(int sq) {
    return sq % 8;
}

extern const char* const square_names[64];

// Centipawns by piece type, for the static exchange and the capture order:
// the king outweighs any exchange.
constexpr int piece_value[KING + 1] = {0, 100, 300, 300, 500, 900, 10000};

// Half-moves without a capture or pawn move after which the game is drawn.
constexpr int FIFTY_MOVE_PLIES = 100;

// The letter of each piece type as White's pieces and SAN write it; EMPTY is
// a blank.
constexpr char PIECE_LETTERS[] = " PNBRQK";
