#include "board/board.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "board/key_table.h"

// By side to move: the rank of the square an en passant capture lands on.
constexpr int EP_RANK[2] = {3, 6};

constexpr char BLACK_LETTERS[] = " pnbrqk";

const char* const square_names[64] = {
    "a8", "b8", "c8", "d8", "e8", "f8", "g8", "h8", "a7", "b7", "c7", "d7", "e7", "f7", "g7", "h7",
    "a6", "b6", "c6", "d6", "e6", "f6", "g6", "h6", "a5", "b5", "c5", "d5", "e5", "f5", "g5", "h5",
    "a4", "b4", "c4", "d4", "e4", "f4", "g4", "h4", "a3", "b3", "c3", "d3", "e3", "f3", "g3", "h3",
    "a2", "b2", "c2", "d2", "e2", "f2", "g2", "h2", "a1", "b1", "c1", "d1", "e1", "f1", "g1", "h1",
};

namespace {

int step_target(int square, int file_step, int row_step) {
    int file = file_of(square) + file_step;
    int row = square / 8 + row_step;
    if (file < 0 || file > 7 || row < 0 || row > 7) return NO_SQUARE;
    return row * 8 + file;
}

int piece_of_fen_letter(char c, int* colour) {
    const char* w = strchr(PIECE_LETTERS + 1, c);
    const char* b = strchr(BLACK_LETTERS + 1, c);
    if (c != '\0' && w) {
        *colour = WHITE;
        return int(w - PIECE_LETTERS);
    }
    if (c != '\0' && b) {
        *colour = BLACK;
        return int(b - BLACK_LETTERS);
    }
    return EMPTY;
}

// The placement field of a FEN: '/' is skipped, a digit skips squares, a
// piece letter calls place(square, type, colour); any other character ends
// the scan. Returns that character; *end_square is the counter at the end.
template <class Place> const char* scan_placement(const char* fen, int* end_square, Place&& place) {
    int square = 0;
    const char* p = fen;
    for (; *p; p++) {
        int colour = WHITE;
        const int type = piece_of_fen_letter(*p, &colour);
        if (*p == '/') continue;
        if (*p >= '1' && *p <= '8') {
            square += *p - '0';
        } else if (type != EMPTY) {
            place(square++, type, colour);
        } else {
            break;
        }
    }
    *end_square = square;
    return p;
}

// Castling rights whose king and rook stand on their home squares.
int rights_backed_by_pieces(const board& b) {
    struct right {
        int bit, colour, king, rook;
    };
    constexpr right RIGHTS[4] = {
        {1, WHITE, E1, H1}, {2, WHITE, E1, A1}, {4, BLACK, E8, H8}, {8, BLACK, E8, A8}};
    int rights = 0;
    for (const right& r : RIGHTS) {
        const square_node& k = b.squares[r.king];
        const square_node& rook = b.squares[r.rook];
        if (k.piece == KING && k.colour == r.colour && rook.piece == ROOK &&
            rook.colour == r.colour)
            rights |= r.bit;
    }
    return rights;
}

} // namespace

board::board() {
    memset(squares, 0, sizeof squares);
    for (int s = 0; s < 64; s++) {
        square_node& node = squares[s];
        node.square = uint8_t(s);
        for (int d = 0; d < 8; d++) {
            int r = step_target(s, RAY_FILE_STEP[d], RAY_ROW_STEP[d]);
            int j = step_target(s, JUMP_FILE_STEP[d], JUMP_ROW_STEP[d]);
            node.ray[d] = r == NO_SQUARE ? nullptr : &squares[r];
            node.jump[d] = j == NO_SQUARE ? nullptr : &squares[j];
        }
    }
    memset(history, 0, sizeof history);
    last_move = no_move;
    castled[WHITE] = castled[BLACK] = 0;
    key = 0;
    clear();
}

board::~board() = default;

void board::clear() {
    for (piece_table* table : {&white_pieces, &black_pieces}) {
        for (int t = 0; t < PIECE_SLOTS; t++) (*table)[COUNT_ROW][t] = 0;
        for (int row = 1; row < PIECE_ROWS; row++)
            for (int slot = 0; slot < PIECE_SLOTS; slot++) (*table)[row][slot] = NO_SQUARE;
    }
    for (square_node& node : squares) {
        node.piece = EMPTY;
        node.colour = NO_COLOUR;
    }
    memset(colour_bits, 0, sizeof colour_bits);
    memset(piece_bits, 0, sizeof piece_bits);
    for (int& slot : slot_of) slot = NO_SQUARE;
    memset(history, 0, sizeof history);
    side_to_move = castle_rights = ep_square = fifty_count = history_count = 0;
    forget_check_state();
}

// The four scans of a FEN: placement, side, castling, en passant. Each scan
// stops at the first character it does not know; the next starts after it.
// Pieces that would not fit the board or its tables are left out.
void board::set_position(const char* fen) {
    clear();
    // A new position starts with nobody castled, whatever the last game did.
    castled[WHITE] = castled[BLACK] = 0;
    int end_square = 0;
    const char* p = scan_placement(fen, &end_square, [this](int square, int type, int colour) {
        if (square < 64 && piece_count(type, colour) < 8) put_on(colour, type, square);
    });
    if (*p) p++;

    side_to_move = WHITE;
    for (; *p == 'w' || *p == 'b'; p++) side_to_move = *p == 'w' ? WHITE : BLACK;
    if (*p) p++;

    castle_rights = 0;
    for (;; p++) {
        if (*p == 'K')
            castle_rights |= 1;
        else if (*p == 'Q')
            castle_rights |= 2;
        else if (*p == 'k')
            castle_rights |= 4;
        else if (*p == 'q')
            castle_rights |= 8;
        else if (*p != '-')
            break;
    }
    castle_rights &= rights_backed_by_pieces(*this);
    if (*p) p++;

    ep_square = NO_SQUARE;
    for (;; p++) {
        if (*p >= 'a' && *p <= 'h')
            ep_square = *p - 'a';
        else if (*p >= '1' && *p <= '7')
            ep_square += (8 - (*p - '0')) * 8;
        else if (*p != '8' && *p != '-')
            break;
    }
    // Only the square a pawn has just passed over can be taken en passant.
    // Any other would let a pawn capture onto the last rank without promoting.
    if (!square_ok(ep_square) || rank_of(ep_square) != EP_RANK[side_to_move]) ep_square = NO_SQUARE;

    last_move = no_move;
    compute_key();
}

void board::print() const {
    printf("\n");
    for (int s = 0; s < 64; s++) {
        const square_node& node = squares[s];
        if (node.piece == EMPTY)
            printf(" . ");
        else
            printf(" %c ", (node.colour == WHITE ? PIECE_LETTERS : BLACK_LETTERS)[node.piece]);
        if (s % 8 == 7) printf("\n");
    }
    printf("\n");
}

// Whoever sets nodes and piece tables up by hand finishes with this, so the
// square sets and slots kept beside them are rebuilt here as well.
void board::compute_key() {
    memset(colour_bits, 0, sizeof colour_bits);
    memset(piece_bits, 0, sizeof piece_bits);
    for (int s = 0; s < 64; s++) {
        const square_node& node = squares[s];
        if (node.piece == EMPTY) continue;
        colour_bits[node.colour] |= square_bit(s);
        piece_bits[node.colour][node.piece] |= square_bit(s);
    }
    for (int colour : {WHITE, BLACK}) {
        const piece_table& table = pieces_of(colour);
        for (int type = PAWN; type <= KING; type++)
            for (int slot = 0; slot < PIECE_SLOTS; slot++)
                if (table[type][slot] != NO_SQUARE) slot_of[table[type][slot]] = slot;
    }
    key = key_from_scratch();
}

uint64_t board::key_from_scratch() const {
    uint64_t k = 0;
    for (int colour : {WHITE, BLACK}) {
        const piece_table& table = pieces_of(colour);
        for (int type = PAWN; type <= KING; type++) {
            int seen = 0;
            for (int slot = 0; slot < PIECE_SLOTS && seen < table[COUNT_ROW][type]; slot++) {
                if (table[type][slot] == NO_SQUARE) continue;
                k ^= piece_key(colour, type, table[type][slot]);
                seen++;
            }
        }
    }
    k ^= castle_key(castle_rights);
    if (ep_square != NO_SQUARE) k ^= ep_key(ep_square);
    return side_to_move == BLACK ? ~k : k;
}

const char* position_problem(const char* fen) {
    int counts[2][KING + 1] = {};
    int end_square = 0;
    bool past_end = false;
    scan_placement(fen, &end_square, [&](int square, int type, int colour) {
        past_end |= square >= 64;
        counts[colour][type]++;
    });
    if (past_end || end_square > 64) return "the placement runs past the 64th square";
    for (const auto& by_type : counts) {
        int side_total = 0;
        for (int n : by_type) {
            if (n > 8) return "more than 8 pieces of one type and colour";
            side_total += n;
        }
        if (side_total > 16) return "more than 16 pieces of one colour";
        // Every pawn may still promote to the same type, and a row has room
        // for no more than PIECE_SLOTS pieces.
        for (int type = KNIGHT; type <= QUEEN; type++)
            if (by_type[type] + by_type[PAWN] > PIECE_SLOTS)
                return "too many pieces of one type and colour once its pawns promote";
    }
    if (counts[WHITE][KING] != 1 || counts[BLACK][KING] != 1)
        return "there must be exactly one king of each colour";
    return nullptr;
}

#ifdef KORVEL_CHECKS
// Rebuilds the piece tables, the square sets, the slots and the key from the
// squares and compares.
bool board::board_ok(bool key_kept) const {
    int counts[2][KING + 1] = {};
    uint64_t by_colour[2] = {}, by_piece[2][KING + 1] = {};
    for (int s = 0; s < 64; s++) {
        const square_node& node = squares[s];
        if ((node.piece == EMPTY) != (node.colour == NO_COLOUR)) return false;
        if (node.piece == EMPTY) continue; // its slot_of entry is never read
        if (node.piece < PAWN || node.piece > KING || node.colour > WHITE) return false;
        counts[node.colour][node.piece]++;
        by_colour[node.colour] |= square_bit(s);
        by_piece[node.colour][node.piece] |= square_bit(s);
        const piece_table& table = pieces_of(node.colour);
        if (slot_of[s] < 0 || slot_of[s] >= PIECE_SLOTS || table[node.piece][slot_of[s]] != s)
            return false;
    }
    for (int colour : {WHITE, BLACK}) {
        const piece_table& table = pieces_of(colour);
        for (int type = PAWN; type <= KING; type++) {
            if (table[COUNT_ROW][type] != counts[colour][type]) return false;
            int listed = 0;
            for (int slot = 0; slot < PIECE_SLOTS; slot++) listed += table[type][slot] != NO_SQUARE;
            if (listed != counts[colour][type]) return false;
        }
        if (counts[colour][KING] == 1 && squares[table[KING][0]].piece != KING) return false;
        if (colour_bits[colour] != by_colour[colour]) return false;
        for (int type = EMPTY; type <= KING; type++)
            if (piece_bits[colour][type] != by_piece[colour][type]) return false;
    }
    if (ep_square != NO_SQUARE && !square_ok(ep_square)) return false;
    return !key_kept || key_from_scratch() == key;
}
#endif
