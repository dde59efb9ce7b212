#include "shell/move_text.h"

#include <cassert>
#include <cstring>

#include "shell/line_reader.h"

namespace {

bool is_lower(char c) {
    return c >= 'a' && c <= 'z';
}
bool is_upper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool is_letter(char c) {
    return is_lower(c) || is_upper(c);
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// One SAN word; reads past its end give '\0', so short words are safe. Its
// text ends at a blank or NUL, so a square read from inside it stops there.
struct word {
    const char* text;
    int length;

    char at(int i) const { return i >= 0 && i < length ? text[i] : '\0'; }
};

int word_length(const char* text) {
    int n = 0;
    while (text[n] != '\0' && !is_blank(text[n])) n++;
    return n;
}

// Only the piece letters: a word starting 'P' names no type.
int piece_of_letter(char c) {
    for (int type = KNIGHT; type <= KING; type++)
        if (PIECE_LETTERS[type] == c) return type;
    return EMPTY;
}

// Either case; any other letter names no promotion piece.
int promotion_of_letter(char c) {
    const int type = piece_of_letter(is_lower(c) ? char(c - 'a' + 'A') : c);
    return type == KING ? EMPTY : type;
}

// What a word says before the board is consulted. The from-file and
// from-rank are kept as written ('\0' when not given), so a character that
// names no file or rank matches no square.
struct san_parts {
    int type = EMPTY;
    bool long_form = false;
    bool capture = false; // written as a capture (pawn words only)
    int from = NO_SQUARE; // long forms
    char from_file = '\0';
    char from_rank = '\0';
    int to = NO_SQUARE;
    int promote = EMPTY;
};

// An optional 'x' or '-', the to-square, then an optional promotion
// ("=Q" or "Q"); anything after that (check marks, comments) is ignored.
void read_destination(const word& w, int i, san_parts& p) {
    if (w.at(i) == 'x' || w.at(i) == '-') i++;
    p.to = square_from_text(w.text + i);
    i += 2;
    if (w.at(i) == '=') i++;
    p.promote = promotion_of_letter(w.at(i));
}

bool has_link_from(const word& w, int i) {
    for (; i < w.length; i++)
        if (w.at(i) == '-' || w.at(i) == 'x') return true;
    return false;
}

san_parts read_piece_word(const word& w) {
    san_parts p;
    p.type = piece_of_letter(w.at(0));
    const char c1 = w.at(1), c2 = w.at(2);
    if (is_letter(c1) && is_digit(c2) && has_link_from(w, 3)) {
        p.long_form = true;
        p.from = square_from_text(w.text + 1);
        read_destination(w, 3, p);
    } else if (is_letter(c1) && is_digit(c2) && is_letter(w.at(3)) && is_digit(w.at(4))) {
        // Both file and rank given (Qh4e1): the first square only narrows the candidates.
        p.from_file = c1;
        p.from_rank = c2;
        read_destination(w, 3, p);
    } else if (is_digit(c1)) {
        p.from_rank = c1;
        read_destination(w, 2, p);
    } else if (c1 == 'x') {
        read_destination(w, 1, p);
    } else if (is_letter(c1) && is_letter(c2)) {
        p.from_file = c1;
        read_destination(w, 2, p);
    } else {
        read_destination(w, 1, p);
    }
    return p;
}

// The first character is the pawn's file. "ed5" is read like "exd5".
san_parts read_pawn_word(const word& w) {
    san_parts p;
    p.type = PAWN;
    p.from_file = w.at(0);
    const char c1 = w.at(1);
    if (is_letter(c1)) {
        p.capture = true;
        read_destination(w, 1, p);
    } else if (is_digit(c1) && (w.at(2) == 'x' || w.at(2) == '-')) {
        p.long_form = true;
        p.from = square_from_text(w.text);
        read_destination(w, 2, p);
    } else {
        read_destination(w, 0, p);
    }
    return p;
}

move build_move(int from, int to, int promote, int flags) {
    return move{uint8_t(from), uint8_t(to), uint8_t(promote), uint8_t(flags)};
}

// Check marks and annotation glyphs that may follow a castling word: any run
// of '+', '#', '!', '?' and "$n".
bool is_castling_suffix(const word& w, int i) {
    while (i < w.length) {
        const char c = w.at(i++);
        if (c == '$') {
            if (!is_digit(w.at(i))) return false;
            while (is_digit(w.at(i))) i++;
        } else if (!strchr("+#!?", c)) {
            return false;
        }
    }
    return true;
}

// The castling text at the word's start, in either case and with '0' for
// 'O', followed by nothing but suffixes.
bool is_castling_word(const word& w, const char* castling) {
    int i = 0;
    for (; castling[i]; i++) {
        char c = w.at(i);
        if (c == '0') c = 'O';
        if (is_lower(c)) c = char(c - 'a' + 'A');
        if (c != castling[i]) return false;
    }
    return is_castling_suffix(w, i);
}

// Castling is the king's two-square move; rights and attacks are left to
// make_move.
move castling_move(const word& w, int side) {
    const int king = side == WHITE ? E1 : E8;
    if (is_castling_word(w, "O-O")) return build_move(king, king + 2, 0, FLAG_CASTLE);
    if (is_castling_word(w, "O-O-O")) return build_move(king, king - 2, 0, FLAG_CASTLE);
    return no_move;
}

bool is_castling_step(int from, int to) {
    return (from == E1 || from == E8) && (to == from + 2 || to == from - 2);
}

// Long forms are taken as written; the flags are those the generator gives
// the same kind of move, judged from the squares and the occupancy of `to`.
move long_form_move(const board& b, const san_parts& p) {
    if (p.from == NO_SQUARE || p.to == NO_SQUARE) return no_move;
    const bool occupied = b.squares[p.to].piece != EMPTY;
    if (p.type != PAWN) {
        if (p.type == KING && is_castling_step(p.from, p.to))
            return build_move(p.from, p.to, 0, FLAG_CASTLE);
        return build_move(p.from, p.to, 0, occupied ? FLAG_CAPTURE : 0);
    }
    int flags = FLAG_PAWN;
    if (occupied)
        flags |= FLAG_CAPTURE;
    else if (file_of(p.from) != file_of(p.to))
        flags |= FLAG_CAPTURE | FLAG_EP;
    if (p.to - p.from == 16 || p.from - p.to == 16) flags |= FLAG_DOUBLE;
    if (p.promote != EMPTY) flags |= FLAG_PROMOTE;
    return build_move(p.from, p.to, p.promote, flags);
}

// Candidates are tried on the board, so a pinned piece drops out and the
// word needs no more disambiguation than SAN gives.
move piece_move(board& b, const san_parts& p) {
    if (p.to == NO_SQUARE) return no_move;
    const square_node& target = b.squares[p.to];
    // Own pieces and kings are never taken: no generated move does that.
    if (target.colour == b.side_to_move || target.piece == KING) return no_move;
    const int flags = target.piece != EMPTY ? FLAG_CAPTURE : 0;
    const origin_list origins = origins_of(b, p.to, p.type, b.side_to_move);
    move found = no_move;
    int accepted = 0;
    for (int i = 0; i < origins.count; i++) {
        const int from = origins.squares[i];
        if (p.from_file && square_names[from][0] != p.from_file) continue;
        if (p.from_rank && square_names[from][1] != p.from_rank) continue;
        const move m = build_move(from, p.to, 0, flags);
        if (!b.make_move(m)) continue;
        b.unmake_move();
        found = m;
        accepted++;
    }
    return accepted == 1 ? found : no_move;
}

bool holds(const square_node* n, int type, int colour) {
    return n && n->piece == type && n->colour == colour;
}

// A pawn capture comes from the named file, one row behind the target.
move pawn_capture(const board& b, const san_parts& p, const square_node* behind) {
    const int side = b.side_to_move;
    const int file_step = (p.from_file - 'a') - file_of(p.to);
    if (!behind || (file_step != 1 && file_step != -1)) return no_move;
    const square_node* origin = behind->ray[file_step > 0 ? E : W];
    if (!holds(origin, PAWN, side)) return no_move;
    const square_node& target = b.squares[p.to];
    if (target.piece == EMPTY) {
        // En passant: only onto the square the last double advance passed over.
        const int ep_rank = side == WHITE ? 6 : 3;
        if (p.to != b.ep_square || rank_of(p.to) != ep_rank || !holds(behind, PAWN, side ^ 1))
            return no_move;
        return build_move(origin->square, p.to, 0, FLAG_EP | FLAG_PAWN | FLAG_CAPTURE);
    }
    if (target.colour == side || target.piece == KING) return no_move;
    return build_move(origin->square, p.to, 0, FLAG_PAWN | FLAG_CAPTURE);
}

move pawn_push(const board& b, const san_parts& p, const square_node* behind, int back) {
    const int side = b.side_to_move;
    if (!behind || b.squares[p.to].piece != EMPTY) return no_move;
    if (holds(behind, PAWN, side)) return build_move(behind->square, p.to, 0, FLAG_PAWN);
    const int double_rank = side == WHITE ? 4 : 5;
    if (behind->piece != EMPTY || rank_of(p.to) != double_rank) return no_move;
    const square_node* start = behind->ray[back];
    if (!holds(start, PAWN, side)) return no_move;
    return build_move(start->square, p.to, 0, FLAG_PAWN | FLAG_DOUBLE);
}

// Pawn moves are checked against the board but not tried: pins are left to
// the caller's make_move. A promotion must name its piece, and only a move
// to the last rank may name one.
move pawn_move(const board& b, const san_parts& p) {
    if (p.to == NO_SQUARE || p.from_file < 'a' || p.from_file > 'h') return no_move;
    const int back = b.side_to_move == WHITE ? S : N;
    const square_node* behind = b.squares[p.to].ray[back];
    move m = p.capture ? pawn_capture(b, p, behind) : pawn_push(b, p, behind, back);
    if (m == no_move) return no_move;
    const int last_rank = b.side_to_move == WHITE ? 8 : 1;
    if ((rank_of(p.to) == last_rank) != (p.promote != EMPTY)) return no_move;
    if (p.promote != EMPTY) {
        m.promote = uint8_t(p.promote);
        m.flags |= FLAG_PROMOTE;
    }
    return m;
}

void add_origin(origin_list& o, int square) {
    if (o.count < MAX_ORIGINS) o.squares[o.count++] = square;
}

// Walks each ray outward from the target to its first piece.
void add_slider_origins(origin_list& o, const square_node& target, int first_dir, int dir_step,
                        int type, int colour) {
    for (int d = first_dir; d < 8; d += dir_step) {
        const square_node* n = target.ray[d];
        while (n && n->piece == EMPTY) n = n->ray[d];
        if (holds(n, type, colour)) add_origin(o, n->square);
    }
}

} // namespace

move_text move_to_text(move m) {
    assert(square_ok(m.from) && square_ok(m.to));
    move_text t = {};
    memcpy(t.text, square_names[m.from], 2);
    memcpy(t.text + 2, square_names[m.to], 2);
    if ((m.flags & FLAG_PROMOTE) && m.promote >= KNIGHT && m.promote <= QUEEN)
        t.text[4] = PIECE_LETTERS[m.promote];
    return t;
}

// The rank is read only after a file letter, so a text of one character
// ends at its NUL.
int square_from_text(const char* text) {
    if (!text || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') return NO_SQUARE;
    return (text[0] - 'a') + 8 * (8 - (text[1] - '0'));
}

origin_list origins_of(const board& b, int target, int type, int colour) {
    origin_list o = {};
    if (!square_ok(target)) return o;
    const square_node& t = b.squares[target];
    switch (type) {
    case KNIGHT:
        for (const square_node* n : t.jump)
            if (holds(n, KNIGHT, colour)) add_origin(o, n->square);
        break;
    case BISHOP:
        add_slider_origins(o, t, NE, 2, BISHOP, colour);
        break;
    case ROOK:
        add_slider_origins(o, t, N, 2, ROOK, colour);
        break;
    case QUEEN:
        add_slider_origins(o, t, N, 1, QUEEN, colour);
        break;
    case KING:
        // The king reaches only its neighbours.
        for (const square_node* n : t.ray)
            if (holds(n, KING, colour)) add_origin(o, n->square);
        break;
    }
    return o;
}

int parse_san(board& b, const char* text, move* out) {
    bool as_written;
    return parse_san(b, text, out, &as_written);
}

int parse_san(board& b, const char* text, move* out, bool* as_written) {
    *out = no_move;
    *as_written = false;
    while (is_blank(*text)) text++;
    const char first = *text;
    if (!is_letter(first) && first != '0') return 0;
    const word w{text, word_length(text)};
    if (first == 'O' || first == 'o' || first == '0') {
        *as_written = true;
        *out = castling_move(w, b.side_to_move);
    } else if (is_upper(first)) {
        const san_parts p = read_piece_word(w);
        *as_written = p.long_form;
        *out = p.long_form ? long_form_move(b, p) : piece_move(b, p);
    } else {
        const san_parts p = read_pawn_word(w);
        *as_written = p.long_form;
        *out = p.long_form ? long_form_move(b, p) : pawn_move(b, p);
    }
    return 1;
}
