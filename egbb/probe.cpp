// probe_egbb_5men: a position in the engine's calling form, checked and
// translated for the Gaviota probing code, and its distance to mate turned
// into a score for the side to move.
#include <gtb-probe.h>

#include "egbb/exports.h"
#include "egbb/tables.h"
#include "shell/egbb_interface.h"

// A win scores WIN_SCORE less the plies to mate, so the quickest win scores
// highest and every bitbase score stays below the search's mate range.
constexpr int WIN_SCORE = 2900;
// Longer than any mate with five men; caps what a damaged file could report.
constexpr unsigned MAX_MATE_PLIES = 1000;
constexpr int MEN_PER_SIDE = 1 + EGBB_PIECE_SLOTS; // the king first
// Pawns stand between the back ranks, on squares RANK_2_START to RANK_8_START - 1.
constexpr int RANK_2_START = 8;
constexpr int RANK_8_START = 56;

namespace {

// Sides are indexed as the probing code numbers the side to move.
constexpr int WHITE_SIDE = tb_WHITE_TO_MOVE;
constexpr int BLACK_SIDE = tb_BLACK_TO_MOVE;
static_assert(WHITE_SIDE == EGBB_WHITE_TO_MOVE && BLACK_SIDE == EGBB_BLACK_TO_MOVE,
              "the side to move is passed through unchanged");
static_assert(tb_A1 == 0 && tb_H8 == EGBB_SQUARES - 1, "squares are passed through unchanged");

struct piece_entry {
    int code;
    int side;
    unsigned char type;
};

constexpr piece_entry PIECES[] = {
    {EGBB_WHITE_QUEEN, WHITE_SIDE, tb_QUEEN},   {EGBB_WHITE_ROOK, WHITE_SIDE, tb_ROOK},
    {EGBB_WHITE_BISHOP, WHITE_SIDE, tb_BISHOP}, {EGBB_WHITE_KNIGHT, WHITE_SIDE, tb_KNIGHT},
    {EGBB_WHITE_PAWN, WHITE_SIDE, tb_PAWN},     {EGBB_BLACK_QUEEN, BLACK_SIDE, tb_QUEEN},
    {EGBB_BLACK_ROOK, BLACK_SIDE, tb_ROOK},     {EGBB_BLACK_BISHOP, BLACK_SIDE, tb_BISHOP},
    {EGBB_BLACK_KNIGHT, BLACK_SIDE, tb_KNIGHT}, {EGBB_BLACK_PAWN, BLACK_SIDE, tb_PAWN},
};

// Null for a code that names no piece.
const piece_entry* piece_of(int code) {
    for (const piece_entry& piece : PIECES) {
        if (piece.code == code) return &piece;
    }
    return nullptr;
}

// The men of one side in the probing code's form, each list ended by its
// terminator.
struct side_men {
    unsigned squares[MEN_PER_SIDE + 1];
    unsigned char types[MEN_PER_SIDE + 1];
    int count;
};

struct position {
    side_men side[2];
    bool occupied[EGBB_SQUARES];
};

bool place(position& p, int side, unsigned char type, int square) {
    if (square < 0 || square >= EGBB_SQUARES || p.occupied[square]) return false;
    bool back_rank = square < RANK_2_START || square >= RANK_8_START;
    if (type == tb_PAWN && back_rank) return false;
    side_men& men = p.side[side];
    p.occupied[square] = true;
    men.squares[men.count] = unsigned(square);
    men.types[men.count] = type;
    men.count++;
    men.squares[men.count] = tb_NOSQUARE;
    men.types[men.count] = tb_NOPIECE;
    return true;
}

bool place_piece(position& p, int code, int square) {
    if (code == EGBB_NO_PIECE) return true;
    const piece_entry* piece = piece_of(code);
    return piece && place(p, piece->side, piece->type, square);
}

// Kings first, as the probing code expects; false for anything that is not
// a position (a missing king, a square off the board or used twice, a pawn
// on a back rank, an unknown code).
bool decode(position& p, const int (&kings)[2], const int (&pieces)[EGBB_PIECE_SLOTS][2]) {
    p = position{};
    if (!place(p, WHITE_SIDE, tb_KING, kings[WHITE_SIDE])) return false;
    if (!place(p, BLACK_SIDE, tb_KING, kings[BLACK_SIDE])) return false;
    for (const auto& slot : pieces) {
        if (!place_piece(p, slot[0], slot[1])) return false;
    }
    return true;
}

int score_of(unsigned info, unsigned plies, int player) {
    if (info == tb_DRAW) return 0;
    if (info != tb_WMATE && info != tb_BMATE) return EGBB_NOT_FOUND; // illegal or unknown
    int win = WIN_SCORE - int(plies < MAX_MATE_PLIES ? plies : MAX_MATE_PLIES);
    bool white_wins = info == tb_WMATE;
    return white_wins == (player == WHITE_SIDE) ? win : -win;
}

} // namespace

// En passant and castling cannot be passed, so positions are probed as if
// neither were possible.
int probe_egbb_5men(int player, int white_king, int black_king, int piece1, int square1, int piece2,
                    int square2, int piece3, int square3) {
    if (!egbb_tables_ready()) return EGBB_NOT_FOUND;
    if (player != WHITE_SIDE && player != BLACK_SIDE) return EGBB_NOT_FOUND;
    position p;
    const int kings[2] = {white_king, black_king};
    const int pieces[EGBB_PIECE_SLOTS][2] = {
        {piece1, square1}, {piece2, square2}, {piece3, square3}};
    if (!decode(p, kings, pieces)) return EGBB_NOT_FOUND;
    const side_men& white = p.side[WHITE_SIDE];
    const side_men& black = p.side[BLACK_SIDE];
    unsigned info = tb_UNKNOWN, plies = 0;
    bool found = tb_probe_hard(unsigned(player), tb_NOSQUARE, tb_NOCASTLE, white.squares,
                               black.squares, white.types, black.types, &info, &plies);
    return found ? score_of(info, plies, player) : EGBB_NOT_FOUND;
}
