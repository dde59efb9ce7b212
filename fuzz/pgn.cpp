// The book builder's PGN reader: any file is read to its end, and what the
// file can upset is checked: no more games broken than replayed, no more
// replayed than read, no record without an accepted game, every record's
// results within its own games, and the same book from a second read.
// The same bytes also choose a file of legal games in the many shapes PGN
// takes (tags with blanks and escapes, moves on a tag's line, comments over
// lines, variations, glyphs, suffixes, every system's line ends); every one
// of its games and moves must reach the book, so a lost game is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

#include "board/key_table.h"
#include "book/book_builder.h"
#include "chess.h"
#include "fuzz_support.h"
#include "shell/pgn_reader.h"

constexpr const char* PGN_FILE = "games.pgn";
constexpr int MOVES_DEEP = 30;
constexpr int MIN_ELO = 1000;
constexpr int MAX_GAMES = 4;
constexpr int MAX_PLIES = 24; // within MOVES_DEEP moves

namespace {

pgn_summary read_book(const hash& settings, book_builder& builder) {
    FILE* f = fopen(PGN_FILE, "rb");
    FUZZ_CHECK(f != nullptr);
    const pgn_summary s = read_pgn_games(f, settings, builder);
    fclose(f);
    return s;
}

bool same_record(const book_record& a, const book_record& b) {
    return a.key_low == b.key_low && a.move_key == b.move_key && a.games == b.games &&
           a.white_wins == b.white_wins && a.black_wins == b.black_wins && a.draws == b.draws;
}

// The fuzzer's bytes as a stream of choices; zeros once they run out.
struct choices {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    int next(int n) { return at < size ? data[at++] % n : 0; }
    bool coin() { return next(2) == 1; }
};

struct generated_pgn {
    std::string text;
    int games = 0;
    int moves = 0;
    std::set<uint64_t> pairs; // (position, move) of every move played
};

const char* const LINE_ENDS[] = {"\n", "\r\n", "\r"};
const char* const RESULTS[] = {"1-0", "0-1", "1/2-1/2", "*"};
const char* const SUFFIXES[] = {"", "!", "?", "!?", "?!", "!!", "$1", "+", " $14", "!$3"};
// Text that is no move, between the moves: comments hiding tags, results and
// moves, a variation with a comment and a glyph.
const char* const ASIDES[] = {
    "{a comment}", "{over\n[two] lines; 1-0}", "$2", "(1. Ke2 {x} (Qh5) 0-1)", "{Nf3 (}",
};

// A legal move in the long form the move reader takes (Ng1-f3, e7-e8=Q,
// castling as O-O), so the file needs no writer of short SAN.
std::string move_word(const board& b, move m) {
    if (m.flags & FLAG_CASTLE) return file_of(m.to) == 6 ? "O-O" : "O-O-O";
    std::string w;
    if (!(m.flags & FLAG_PAWN)) w += " PNBRQK"[b.squares[m.from].piece];
    w += square_names[m.from];
    w += m.flags & FLAG_CAPTURE ? "x" : "-";
    w += square_names[m.to];
    if (m.flags & FLAG_PROMOTE) w += std::string("=") + " PNBRQK"[m.promote];
    return w;
}

// The legal moves of the position, by trial.
int legal_moves(board& b, mlist& ml, move* out) {
    int n = 0;
    ml.generate_moves(b, 0);
    for (int i = ml.first[0]; i < ml.first[1]; i++) {
        if (!b.make_move(ml.moves[i])) continue;
        b.unmake_move();
        out[n++] = ml.moves[i];
    }
    return n;
}

void write_tags(choices& c, const char* end, const char* result, generated_pgn& g) {
    g.text += c.coin() ? "[Event \"4NCL 2010-11\"]" : "[ Event  \"a \\\"[x]\\\\\" ]";
    g.text += end;
    if (c.coin()) g.text += std::string("[Annotator \"Eloff\"]") + end;
    g.text += std::string("[WhiteElo \"2500\"]\t[BlackElo \"") + (c.coin() ? "1000" : "2800") +
              "\"]" + end;
    g.text += std::string("[Result \"") + result + "\"]";
    if (c.coin()) g.text += std::string(end) + end; // else the moves follow on the tag's line
}

void write_game(choices& c, board& b, mlist& ml, generated_pgn& g) {
    const char* end = LINE_ENDS[c.next(3)];
    const char* result = RESULTS[c.next(4)];
    write_tags(c, end, result, g);
    b.set_position(START_FEN);
    const int plies = c.next(MAX_PLIES + 1);
    move legal[MAX_PLY_MOVES];
    for (int ply = 0; ply < plies; ply++) {
        const int n = legal_moves(b, ml, legal);
        if (n == 0) break;
        const move m = legal[c.next(n)];
        if (ply % 2 == 0) g.text += " " + std::to_string(ply / 2 + 1) + (c.coin() ? "." : ". ");
        g.text += " " + move_word(b, m) + SUFFIXES[c.next(10)];
        if ((m.flags & FLAG_EP) && c.coin()) g.text += " e.p.";
        g.pairs.insert(uint64_t(book_key_low(b.key)) << 32 | book_move_key(b.key, m.from, m.to));
        b.make_move(m);
        g.moves++;
        switch (c.next(8)) {
        case 0:
            g.text += std::string(" ") + ASIDES[c.next(5)];
            break;
        case 1:
            g.text += std::string(" ; to the line's end 0-1") + end;
            break;
        case 2:
            g.text += std::string(end) + "%escaped Qxf7" + end;
            break;
        case 3:
            g.text += end;
            break;
        }
    }
    g.text += std::string(" ") + result + end + end;
    g.games++;
}

generated_pgn generate_games(const uint8_t* data, size_t size) {
    static board b;
    static mlist ml;
    choices c{data, size};
    generated_pgn g;
    if (c.coin()) g.text += "\xEF\xBB\xBF";
    const int games = 1 + c.next(MAX_GAMES);
    for (int i = 0; i < games; i++) write_game(c, b, ml, g);
    return g;
}

// Every game of the generated file is read, none is cut, and its book holds
// exactly the moves played.
void check_generated(const uint8_t* data, size_t size, const hash& settings) {
    const generated_pgn g = generate_games(data, size);
    write_file(PGN_FILE, reinterpret_cast<const uint8_t*>(g.text.data()), g.text.size());
    book_builder builder;
    const pgn_summary s = read_book(settings, builder);
    FUZZ_CHECK(s.games == g.games && s.accepted == g.games && s.broken == 0);
    std::set<uint64_t> pairs;
    int moves = 0;
    for (const book_record& r : builder.records) {
        pairs.insert(book_pair(r));
        moves += r.games;
    }
    FUZZ_CHECK(pairs == g.pairs && moves == g.moves);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_dir();
    init_key_table();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_file(PGN_FILE, data, size);
    hash settings;
    settings.moves_deep = MOVES_DEEP;
    settings.min_elo = MIN_ELO;
    settings.include_draws = size % 2 == 0;
    book_builder first, second;
    const pgn_summary s = read_book(settings, first);
    const pgn_summary again = read_book(settings, second);

    FUZZ_CHECK(0 <= s.broken && s.broken <= s.accepted && s.accepted <= s.games);
    FUZZ_CHECK(s.accepted > 0 || first.records.empty());
    // A game adds at most one to each counter of a record it passes through.
    for (const book_record& r : first.records)
        FUZZ_CHECK(r.games >= 1 && r.white_wins <= r.games && r.black_wins <= r.games &&
                   r.draws <= r.games);

    // Nothing of one read may leak into the next.
    FUZZ_CHECK(again.games == s.games && again.accepted == s.accepted && again.broken == s.broken);
    FUZZ_CHECK(second.records.size() == first.records.size());
    for (size_t i = 0; i < first.records.size(); i++)
        FUZZ_CHECK(same_record(first.records[i], second.records[i]));

    settings.include_draws = true;
    check_generated(data, size, settings);
    return 0;
}
