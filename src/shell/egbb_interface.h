// The two calls of the endgame bitbase library, as the engine makes them and
// the library answers them. Every value is a signed 32-bit int. The adapter
// owns this contract; the library in egbb/ builds against it from here.
#pragma once

// Side to move.
constexpr int EGBB_WHITE_TO_MOVE = 0;
constexpr int EGBB_BLACK_TO_MOVE = 1;

// Squares are numbered from White's side: a1 = 0, b1 = 1, ... h1 = 7, a2 = 8, ... h8 = 63.
constexpr int EGBB_SQUARES = 64;
constexpr int EGBB_NO_KING = -1;

// Piece codes. An empty slot is EGBB_NO_PIECE on square 0.
constexpr int EGBB_NO_PIECE = 0;
constexpr int EGBB_WHITE_QUEEN = 2;
constexpr int EGBB_WHITE_ROOK = 3;
constexpr int EGBB_WHITE_BISHOP = 4;
constexpr int EGBB_WHITE_KNIGHT = 5;
constexpr int EGBB_WHITE_PAWN = 6;
constexpr int EGBB_BLACK_QUEEN = 8;
constexpr int EGBB_BLACK_ROOK = 9;
constexpr int EGBB_BLACK_BISHOP = 10;
constexpr int EGBB_BLACK_KNIGHT = 11;
constexpr int EGBB_BLACK_PAWN = 12;

// Pieces besides the two kings that one probe can carry.
constexpr int EGBB_PIECE_SLOTS = 3;

// The probe's answer for a position the library cannot score; any other
// answer is the score for the side to move.
constexpr int EGBB_NOT_FOUND = 99999;

constexpr const char* EGBB_LOAD_NAME = "load_egbb_5men";
constexpr const char* EGBB_PROBE_NAME = "probe_egbb_5men";

extern "C" {
// Called once, before any probe: the folder of the table files, the cache
// size in bytes and an option word. Nonzero when some tables were found.
using egbb_load_call = int (*)(const char* path, int cache_bytes, int option);
using egbb_probe_call = int (*)(int player, int white_king, int black_king, int piece1, int square1,
                                int piece2, int square2, int piece3, int square3);
}
