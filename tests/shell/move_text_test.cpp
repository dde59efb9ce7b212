#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "movegen/mlist.h"
#include "shell/move_text.h"
#include "support/test_data.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

move mv(const char* from, const char* to, int promote, int flags) {
    return move{uint8_t(square_from_text(from)), uint8_t(square_from_text(to)), uint8_t(promote),
                uint8_t(flags)};
}

std::string text_of(move m) {
    return move_to_text(m).text;
}

// Parses from a heap copy sized to the text, so a read past the terminator
// is caught by the address sanitizer; the board must come back unchanged.
move parse(board& b, const std::string& text, int expected_result = 1) {
    auto copy = std::make_unique<char[]>(text.size() + 1);
    text.copy(copy.get(), text.size());
    copy[text.size()] = '\0';
    const uint64_t key = b.key;
    const int history = b.history_count;
    move m = {1, 1, 1, 1};
    EXPECT_EQ(parse_san(b, copy.get(), &m), expected_result) << text;
    EXPECT_EQ(b.key, key) << text;
    EXPECT_EQ(b.history_count, history) << text;
    return m;
}

struct san_case {
    const char* fen;
    const char* text;
    move expected;
};

} // namespace

TEST(MoveText, CoordinateForm) {
    EXPECT_EQ(text_of(mv("e2", "e4", 0, 0x06)), "e2e4");
    EXPECT_EQ(text_of(mv("e7", "e8", QUEEN, 0x0a)), "e7e8Q");
    EXPECT_EQ(text_of(mv("a7", "b8", KNIGHT, 0x0b)), "a7b8N");
    EXPECT_EQ(text_of(no_move), "a8a8");
    EXPECT_EQ(text_of(mv("g1", "f3", QUEEN, 0x00)), "g1f3"); // no promotion flag
    EXPECT_EQ(std::string(move_to_text(mv("a2", "a1", ROOK, 0x0a)).text) + text_of(no_move),
              "a2a1Ra8a8");
}

TEST(MoveText, SquareFromText) {
    EXPECT_EQ(square_from_text("a8"), A8);
    EXPECT_EQ(square_from_text("h1"), H1);
    EXPECT_EQ(square_from_text("e4 rest"), 36);
    for (const char* bad : {"", "e", "i4", "e9", "e0", "E4", "4e"})
        EXPECT_EQ(square_from_text(bad), NO_SQUARE) << bad;
}

TEST(MoveText, OriginsStopAtTheFirstPieceAndKingsReachNeighboursOnly) {
    auto b = std::make_unique<board>();
    b->set_position("4k3/8/8/8/R2rR2R/8/8/4K3 w - - 0 1");
    origin_list o = origins_of(*b, square_from_text("f4"), ROOK, WHITE);
    ASSERT_EQ(o.count, 2);
    EXPECT_EQ(o.squares[0], square_from_text("h4")); // east before west
    EXPECT_EQ(o.squares[1], square_from_text("e4"));
    EXPECT_EQ(origins_of(*b, square_from_text("c4"), ROOK, WHITE).count, 1); // a4 only: d4 blocks
    EXPECT_EQ(origins_of(*b, square_from_text("d2"), KING, WHITE).count, 1);
    EXPECT_EQ(origins_of(*b, square_from_text("d5"), KING, WHITE).count, 0);
    EXPECT_EQ(origins_of(*b, square_from_text("f4"), PAWN, WHITE).count, 0);
}

TEST(MoveText, SanWordsResolveToTheGeneratedMove) {
    const san_case cases[] = {
        {START, "e4", mv("e2", "e4", 0, 0x06)},
        {START, "  Nf3", mv("g1", "f3", 0, 0x00)},
        {"rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR w KQkq - 0 1", "Nbd2",
         mv("b1", "d2", 0, 0x00)},
        {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2", "exd5",
         mv("e4", "d5", 0, 0x03)},
        {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2", "ed5",
         mv("e4", "d5", 0, 0x03)},
        {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8=Q", mv("e7", "e8", QUEEN, 0x0a)},
        {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8q+", mv("e7", "e8", QUEEN, 0x0a)},
        {"k2r4/4P3/8/8/8/8/8/4K3 w - - 0 1", "exd8=N", mv("e7", "d8", KNIGHT, 0x0b)},
        {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a1=R", mv("a2", "a1", ROOK, 0x0a)},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "exd6", mv("e5", "d6", 0, 0x23)},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1", "exd3 e.p.", mv("e4", "d3", 0, 0x23)},
        {START, "O-O", mv("e1", "g1", 0, 0x10)}, // not allowed here: make_move decides
        {START, "0-0", mv("e1", "g1", 0, 0x10)},
        {START, "o-o+", mv("e1", "g1", 0, 0x10)},
        {START, "O-O-O#", mv("e1", "c1", 0, 0x10)},
        {"rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq - 0 1", "O-O",
         mv("e8", "g8", 0, 0x10)},
        {START, "Ng1-f3", mv("g1", "f3", 0, 0x00)},
        {"7k/8/8/8/8/2N5/8/r5NK w - - 0 1", "Ne2", mv("c3", "e2", 0, 0x00)}, // g1 is pinned
        {START, "Nge2", no_move}, // e2 holds a white pawn
        {"4k3/8/8/8/8/2N5/8/4K1N1 w - - 0 1", "Nge2", mv("g1", "e2", 0, 0x00)},
        {"4k3/8/8/8/8/2N5/8/2N1K3 w - - 0 1", "N1e2", mv("c1", "e2", 0, 0x00)},
        {"4k3/8/8/8/8/2N5/8/2N1K3 w - - 0 1", "N3e2", mv("c3", "e2", 0, 0x00)},
        {"4k3/8/8/8/8/2N5/8/2N1K3 w - - 0 1", "Ne2", no_move},
        {"7k/8/8/8/4Q2Q/8/8/K6Q w - - 0 1", "Qh4e1", mv("h4", "e1", 0, 0x00)},
        {"7k/8/8/8/4Q2Q/8/8/K6Q w - - 0 1", "Qhe1", no_move},
        {"4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "Rd1", no_move},
        {"4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "Rad1", mv("a1", "d1", 0, 0x00)},
        {"4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "Rxd1", no_move},
        {"3rk3/8/8/8/8/8/4K3/3R4 w - - 0 1", "Rd8+", mv("d1", "d8", 0, 0x01)},
        {START, "Bc4", no_move},
        {START, "Kd5", no_move}, // a king reaches its neighbours only
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "Kf2", mv("e1", "f2", 0, 0x00)},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "Kxf2", mv("e1", "f2", 0, 0x00)},
    };
    auto b = std::make_unique<board>();
    for (const san_case& c : cases) {
        b->set_position(c.fen);
        EXPECT_EQ(parse(*b, c.text), c.expected)
            << c.fen << " " << c.text << " gave " << text_of(parse(*b, c.text));
    }
}

// Words a generated list never holds name no move, so a caller that makes
// the result cannot take its own piece, a king, or a square off the board.
TEST(MoveText, WordsNamingNoGeneratedMoveGiveNoMove) {
    const san_case cases[] = {
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "exd6", no_move}, // no en passant square
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "exf6", no_move},
        {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8", no_move}, // promotion without a piece
        {START, "e3=Q", no_move},
        {"4k3/8/8/8/8/4p3/3P4/4K3 w - - 0 1", "dxe3", mv("d2", "e3", 0, 0x03)},
        {"4k3/8/8/8/8/4N3/3P4/4K3 w - - 0 1", "dxe3", no_move}, // own knight
        {"8/8/8/8/8/4k3/3P4/4K3 w - - 0 1", "dxe3", no_move},   // a king
        {"4k3/8/8/8/8/4p3/4P3/4K3 w - - 0 1", "e3", no_move},   // blocked push
        {"4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e4", no_move},   // blocked double push
        {"4k3/8/8/8/8/8/3K4/4q3 w - - 0 1", "Kxe1", mv("d2", "e1", 0, 0x01)},
        {"4k3/8/8/8/8/8/8/3QK3 w - - 0 1", "Qxe1", no_move},
        {"8/8/8/8/8/8/3k4/3QK3 w - - 0 1", "Qxd2", no_move},
        {START, "Nz3", no_move},
        {START, "N9f3", no_move}, // a from-rank or from-file that names none
        {START, "NGf3", no_move},
        {START, "i4", no_move},
        {START, "Pe4", no_move},
        {START, "O-O-O-O", no_move},
        {START, "0-1", no_move},
        {START, "Ni9-f3", no_move},
    };
    auto b = std::make_unique<board>();
    for (const san_case& c : cases) {
        b->set_position(c.fen);
        EXPECT_EQ(parse(*b, c.text), c.expected) << c.fen << " " << c.text;
    }
}

// Castling takes the same check marks and annotation suffixes as every other
// move: any run of '+', '#', '!', '?' and "$n" after it. Anything else after
// the castling text makes the word name no move.
TEST(MoveText, CastlingWithSuffixes) {
    const move short_castle = mv("e1", "g1", 0, FLAG_CASTLE);
    const move long_castle = mv("e1", "c1", 0, FLAG_CASTLE);
    const san_case cases[] = {
        {START, "O-O!", short_castle},
        {START, "O-O-O!?", long_castle},
        {START, "0-0!!", short_castle},
        {START, "O-O?!", short_castle},
        {START, "O-O$1", short_castle},
        {START, "O-O-O+!$14", long_castle},
        {START, "0-0-0#?", long_castle},
        {START, "o-o??", short_castle},
        {START, "O-O$123$4+", short_castle},
        {START, "O-O-O!!?\?!?+#", long_castle},
        {START, "O-O$", no_move},
        {START, "O-O$x", no_move},
        {START, "O-Ox", no_move},
        {START, "O-O!x", no_move},
        {START, "O-O-", no_move},
        {START, "O-O-O-", no_move},
        {START, "O-O-O!-O", no_move},
        {START, "O-!O", no_move},
    };
    auto b = std::make_unique<board>();
    for (const san_case& c : cases) {
        b->set_position(c.fen);
        EXPECT_EQ(parse(*b, c.text), c.expected)
            << c.text << " gave " << text_of(parse(*b, c.text));
    }
}

TEST(MoveText, TextThatCannotBeAMoveAndShortTexts) {
    auto b = std::make_unique<board>();
    b->set_position(START);
    for (const char* text : {"12.", "1-0", "1/2-1/2", "*", "", "   ", "+", "=Q"})
        EXPECT_EQ(parse(*b, text, 0), no_move) << text;
    for (const char* text :
         {"e", "N", "O", "o", "0", "ex", "Nx", "N1", "Ng", "e8=", "Ng1-", "e2-", "exd", "O-", "K"})
        EXPECT_EQ(parse(*b, text), no_move) << text;
}

namespace {

// The SAN a game record would use: disambiguation only where another legal
// move of the same piece type reaches the same square.
std::string san_of(board& b, const mlist& ml, int ply, move m) {
    if (m.flags & FLAG_CASTLE) return file_of(m.to) == 6 ? "O-O" : "O-O-O";
    const std::string to = square_names[m.to];
    const std::string from = square_names[m.from];
    const std::string promotion = m.promote ? std::string("=") + "  NBRQ"[m.promote] : "";
    if (m.flags & FLAG_PAWN)
        return (m.flags & FLAG_CAPTURE ? from.substr(0, 1) + "x" : "") + to + promotion;
    const int type = b.squares[m.from].piece;
    bool other = false, same_file = false, same_rank = false;
    for (int i = ml.first[ply]; i < ml.first[ply + 1]; i++) {
        const move o = ml.moves[i];
        if (o.to != m.to || o.from == m.from || b.squares[o.from].piece != type) continue;
        if (!b.make_move(o)) continue;
        b.unmake_move();
        other = true;
        same_file |= file_of(o.from) == file_of(m.from);
        same_rank |= rank_of(o.from) == rank_of(m.from);
    }
    std::string hint = !other       ? ""
                       : !same_file ? from.substr(0, 1)
                       : !same_rank ? from.substr(1, 1)
                                    : from;
    return std::string(1, PIECE_LETTERS[type]) + hint + (m.flags & FLAG_CAPTURE ? "x" : "") + to;
}

std::string long_form_of(const board& b, move m) {
    const std::string piece =
        m.flags & FLAG_PAWN ? "" : std::string(1, PIECE_LETTERS[b.squares[m.from].piece]);
    const std::string promotion = m.promote ? std::string("=") + "  NBRQ"[m.promote] : "";
    return piece + square_names[m.from] + (m.flags & FLAG_CAPTURE ? "x" : "-") +
           square_names[m.to] + promotion;
}

// Every legal move, written as SAN (with a check mark where it gives check)
// and as a long form, reads back as the generated move; down to `depth` plies.
int check_round_trip(board& b, mlist& ml, int ply, int depth) {
    int checked = 0;
    ml.generate_moves(b, ply);
    for (int i = ml.first[ply]; i < ml.first[ply + 1]; i++) {
        const move m = ml.moves[i];
        if (!b.make_move(m)) continue;
        const std::string check = b.in_check() ? "+" : "";
        b.unmake_move();
        const std::string san = san_of(b, ml, ply, m) + check;
        EXPECT_EQ(parse(b, san), m) << san;
        const std::string long_form = long_form_of(b, m) + check;
        EXPECT_EQ(parse(b, long_form), m) << long_form;
        checked++;
        if (ply + 1 < depth && b.make_move(m)) {
            checked += check_round_trip(b, ml, ply + 1, depth);
            b.unmake_move();
        }
    }
    return checked;
}

bool generated(const mlist& ml, int ply, move m) {
    for (int i = ml.first[ply]; i < ml.first[ply + 1]; i++)
        if (ml.moves[i] == m) return true;
    return false;
}

// Piece and pawn words for every square, right or wrong for the position.
std::vector<std::string> words_onto(int to) {
    const std::string square = square_names[to];
    std::vector<std::string> words;
    for (const char* piece : {"N", "B", "R", "Q", "K"}) {
        words.push_back(piece + square);
        words.push_back(piece + std::string("x") + square);
    }
    for (const char* promotion : {"", "=Q", "=N"}) {
        words.push_back(square + promotion);
        for (const char file : {char(square[0] - 1), char(square[0] + 1)}) {
            if (file < 'a' || file > 'h') continue;
            words.push_back(file + square + promotion);
            words.push_back(file + std::string("x") + square + promotion);
        }
    }
    return words;
}

// A word resolved on the board, not taken as written, names a move of the
// generated list, so the book builder need not look it up there. Returns
// how many words named a move.
int check_resolved_words(board& b, mlist& ml, int ply) {
    int resolved = 0;
    ml.generate_moves(b, ply);
    for (int to = 0; to < 64; to++) {
        for (const std::string& w : words_onto(to)) {
            move m;
            bool as_written = true;
            EXPECT_EQ(parse_san(b, w.c_str(), &m, &as_written), 1) << w;
            EXPECT_FALSE(as_written) << w;
            if (m == no_move) continue;
            EXPECT_TRUE(generated(ml, ply, m)) << w << " gave " << text_of(m);
            resolved++;
        }
    }
    return resolved;
}

} // namespace

TEST(MoveText, EveryLegalMoveOfThePerftPositionsReadsBack) {
    auto cases = read_perft_cases();
    if (cases.empty()) return; // the reader has said why
    auto ml = std::make_unique<mlist>();
    auto b = std::make_unique<board>();
    int checked = 0;
    for (const perft_case& c : cases) {
        SCOPED_TRACE(c.fen);
        b->set_position(c.fen.c_str());
        checked += check_round_trip(*b, *ml, 0, 2);
    }
    EXPECT_GT(checked, 20000);
}

TEST(MoveText, WordsResolvedOnTheBoardAreGeneratedMoves) {
    auto cases = read_perft_cases();
    if (cases.empty()) return; // the reader has said why
    auto ml = std::make_unique<mlist>();
    auto b = std::make_unique<board>();
    int resolved = 0;
    for (const perft_case& c : cases) {
        SCOPED_TRACE(c.fen);
        b->set_position(c.fen.c_str());
        resolved += check_resolved_words(*b, *ml, 0);
        for (int i = ml->first[0]; i < ml->first[1]; i++) {
            if (!b->make_move(ml->moves[i])) continue;
            resolved += check_resolved_words(*b, *ml, 1);
            b->unmake_move();
        }
    }
    EXPECT_GT(resolved, 20000);
}

// Castling and the long forms are taken as written, whatever the board.
TEST(MoveText, CastlingAndLongFormsAreTakenAsWritten) {
    auto b = std::make_unique<board>();
    b->set_position(START);
    for (const char* text :
         {"O-O", "0-0-0", "o-o+", "Ng1-f3", "Nb1xa3", "e2-e4", "e7-e5", "Ke1-g1"}) {
        move m;
        bool as_written = false;
        EXPECT_EQ(parse_san(*b, text, &m, &as_written), 1) << text;
        EXPECT_TRUE(as_written) << text;
    }
}
