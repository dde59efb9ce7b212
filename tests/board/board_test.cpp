// The position: key table, FEN set-up, links, attack tests, make/unmake and
// the stored-move validity test.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "board/board.h"
#include "board/key_table.h"
#include "board/make_move.h"
#include "movegen/mlist.h"
#include "shell/move_text.h"
#include "support/board_snapshot.h"

namespace {

struct BoardTest : testing::Test {
    std::unique_ptr<board> b = std::make_unique<board>();

    move mv(const char* from, const char* to, int flags, int promote = 0) {
        return move{uint8_t(square_from_text(from)), uint8_t(square_from_text(to)),
                    uint8_t(promote), uint8_t(flags)};
    }
};

// The square sets and slots the board keeps beside its nodes and piece
// tables, against the nodes and tables themselves.
testing::AssertionResult sets_follow_nodes(const board& b) {
    uint64_t by_colour[2] = {}, by_piece[2][KING + 1] = {};
    for (int s = 0; s < 64; s++) {
        const square_node& n = b.squares[s];
        if (n.piece == EMPTY) continue;
        by_colour[n.colour] |= uint64_t(1) << s;
        by_piece[n.colour][n.piece] |= uint64_t(1) << s;
    }
    for (int c : {BLACK, WHITE}) {
        if (b.colour_bits[c] != by_colour[c]) return testing::AssertionFailure() << "colour " << c;
        for (int t = EMPTY; t <= KING; t++)
            if (b.piece_bits[c][t] != by_piece[c][t])
                return testing::AssertionFailure() << "colour " << c << " type " << t;
        for (int t = PAWN; t <= KING; t++)
            for (int slot = 0; slot < PIECE_SLOTS; slot++) {
                const int s = b.pieces_of(c)[t][slot];
                if (s != NO_SQUARE && b.slot_of[s] != slot)
                    return testing::AssertionFailure() << "slot of square " << s;
            }
    }
    return testing::AssertionSuccess();
}

} // namespace

TEST(KeyTable, KnownEntries) {
    EXPECT_EQ(key_table[0], 0x039B11BF4890D6A4ull);
    EXPECT_EQ(key_table[1], 0x37539B8AA7E3A104ull);
    EXPECT_EQ(key_table[1023], 0x4EA47ECE48422707ull);
    uint64_t first = key_table[0];
    init_key_table();
    EXPECT_EQ(key_table[0], first);
}

TEST_F(BoardTest, StartPositionTables) {
    b->set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const int expected[7] = {0, 8, 2, 2, 2, 1, 1};
    for (int c : {WHITE, BLACK})
        for (int t = PAWN; t <= KING; t++) EXPECT_EQ(b->piece_count(t, c), expected[t]);
    EXPECT_EQ(b->king_square(WHITE), 60);
    EXPECT_EQ(b->king_square(BLACK), 4);
    EXPECT_EQ(b->castle_rights, 15);
    EXPECT_EQ(b->ep_square, NO_SQUARE);
    EXPECT_EQ(b->side_to_move, WHITE);
    EXPECT_EQ(b->material_balance(WHITE), 0);
}

TEST_F(BoardTest, FenFieldsAndKeys) {
    b->set_position("8/8/8/8/8/8/8/8");
    EXPECT_EQ(b->side_to_move, WHITE);
    EXPECT_EQ(b->castle_rights, 0);
    EXPECT_EQ(b->key, key_table[0]);

    b->set_position("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 12 40");
    EXPECT_EQ(b->side_to_move, BLACK);
    EXPECT_EQ(b->ep_square, 44);
    EXPECT_EQ(b->fifty_count, 0);
    b->set_position("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 12 40");
    uint64_t black_key = b->key;
    b->set_position("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 12 40");
    EXPECT_EQ(b->key, ~black_key);
}

TEST_F(BoardTest, EnPassantSquareOnlyBehindAPawnJustMoved) {
    b->set_position("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(b->ep_square, square_from_text("d6"));
    b->set_position("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1");
    EXPECT_EQ(b->ep_square, square_from_text("d3"));
    // The wrong side's rank, or the last rank, where the capture would leave
    // an unpromoted pawn on f8.
    b->set_position("4k3/8/8/8/3Pp3/8/8/4K3 w - d3 0 1");
    EXPECT_EQ(b->ep_square, NO_SQUARE);
    b->set_position("3k4/4Pp2/8/8/8/8/8/4K3 w - f8 0 1");
    EXPECT_EQ(b->ep_square, NO_SQUARE);
    EXPECT_EQ(b->key, b->key_from_scratch());
}

TEST_F(BoardTest, RightsWithoutTheirPiecesAreDropped) {
    b->set_position("4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1");
    EXPECT_EQ(b->castle_rights, 0);
    b->set_position("r3k3/8/8/8/8/8/8/4K2R w KQkq - 0 1");
    EXPECT_EQ(b->castle_rights, 1 | 8);
}

TEST_F(BoardTest, OversizedPlacementsWriteNothingOutside) {
    b->set_position("QQQQQQQQ/QQQQQQQQ/8/8/8/8/8/8/8/8/8/K6k w - -");
    EXPECT_EQ(b->piece_count(QUEEN, WHITE), 8);
    EXPECT_STREQ(position_problem("QQQQQQQQ/Q7/8/8/8/8/8/K6k w - -"),
                 "more than 8 pieces of one type and colour");
    EXPECT_STREQ(position_problem("k7/8/8/8/8/8/8/8/K w - -"),
                 "the placement runs past the 64th square");
    EXPECT_STREQ(position_problem("8/8/8/8/8/8/8/K7 w - -"),
                 "there must be exactly one king of each colour");
    EXPECT_STREQ(position_problem("4k3/8/8/8/QQQQQQQQ/RRRRRRRR/P7/4K3 w - -"),
                 "more than 16 pieces of one colour");
    EXPECT_EQ(position_problem("4k3/8/8/8/8/8/8/4K3 w - -"), nullptr);
}

// The jumps' order is the order knights list their moves in (jumps 5 and 6
// were once swapped), and a corner square has only the rays that stay on the board.
TEST_F(BoardTest, CornerLinks) {
    const square_node& a8 = b->squares[0];
    int rays = 0;
    for (auto* r : a8.ray) rays += r != nullptr;
    EXPECT_EQ(rays, 3);
    EXPECT_EQ(a8.ray[E]->square, 1);
    EXPECT_EQ(a8.ray[SE]->square, 9);
    EXPECT_EQ(a8.ray[S]->square, 8);
    const square_node& b8 = b->squares[1];
    EXPECT_EQ(b8.jump[3]->square, square_from_text("d7"));
    EXPECT_EQ(b8.jump[4]->square, square_from_text("c6"));
    EXPECT_EQ(b8.jump[6]->square, square_from_text("a6"));
    int jumps = 0;
    for (auto* j : b8.jump) jumps += j != nullptr;
    EXPECT_EQ(jumps, 3);
}

TEST_F(BoardTest, AttackTests) {
    b->set_position("8/8/8/8/8/8/8/R7 w - -");
    EXPECT_TRUE(b->is_attacked(square_from_text("a8"), WHITE));
    b->set_position("8/8/8/8/p7/8/8/R7 w - -");
    EXPECT_FALSE(b->is_attacked(square_from_text("a8"), WHITE));
    EXPECT_TRUE(b->is_attacked(square_from_text("a4"), WHITE)); // the occupant does not matter
    b->set_position("8/8/8/8/4K3/8/8/8 w - -");
    EXPECT_TRUE(b->is_attacked(square_from_text("d5"), WHITE));
    EXPECT_FALSE(b->is_attacked(square_from_text("c6"), WHITE));
    b->set_position("8/8/8/4p3/4P3/8/8/8 w - -");
    EXPECT_TRUE(b->is_attacked(square_from_text("d5"), WHITE));
    EXPECT_TRUE(b->is_attacked(square_from_text("f5"), WHITE));
    EXPECT_FALSE(b->is_attacked(square_from_text("e5"), WHITE));
    EXPECT_TRUE(b->is_attacked(square_from_text("d4"), BLACK));
    EXPECT_TRUE(b->is_attacked(square_from_text("f4"), BLACK));
}

TEST_F(BoardTest, CastlingThroughAttackedSquares) {
    b->set_position("4k3/8/8/8/8/8/6b1/4K2R w K - 0 1"); // the bishop attacks f1
    EXPECT_FALSE(b->make_move(mv("e1", "g1", FLAG_CASTLE)));
    b->set_position("4k3/8/8/8/8/5b2/8/4K2R w K - 0 1"); // the bishop attacks h1 only
    EXPECT_TRUE(b->make_move(mv("e1", "g1", FLAG_CASTLE)));
    EXPECT_EQ(b->squares[square_from_text("f1")].piece, ROOK);
    b->set_position("1r2k3/8/8/8/8/8/8/R3K3 w Q - 0 1"); // b1 attacked: it need only be empty
    EXPECT_TRUE(b->make_move(mv("e1", "c1", FLAG_CASTLE)));
    b->set_position("4k3/8/8/8/8/8/8/RN2K3 w Q - 0 1");
    EXPECT_FALSE(b->make_move(mv("e1", "c1", FLAG_CASTLE)));
}

TEST_F(BoardTest, MakeUnmakeRestoresEverything) {
    struct {
        const char* fen;
        const char* from;
        const char* to;
        int flags;
        int promote;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1", FLAG_CASTLE, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8", FLAG_CASTLE, 0},
        {"1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7", "b8", FLAG_PROMOTE | FLAG_PAWN | FLAG_CAPTURE,
         KNIGHT},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5", "d6", EP_FLAGS, 0},
        {"4k2r/8/8/8/8/8/8/4K2R w Kk - 0 1", "h1", "h8", FLAG_CAPTURE, 0},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2", "e4",
         FLAG_DOUBLE | FLAG_PAWN, 0},
    };
    for (const auto& c : cases) {
        b->set_position(c.fen);
        snapshot before(*b);
        ASSERT_TRUE(b->make_move(mv(c.from, c.to, c.flags, c.promote))) << c.fen;
        EXPECT_EQ(b->key, b->key_from_scratch()) << c.fen;
        b->unmake_move();
        EXPECT_TRUE(snapshot(*b) == before) << c.fen;
    }
}

TEST_F(BoardTest, MakeSideEffects) {
    b->set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    ASSERT_TRUE(b->make_move(mv("e2", "e4", FLAG_DOUBLE | FLAG_PAWN)));
    EXPECT_EQ(b->ep_square, 44);
    EXPECT_EQ(b->key, b->key_from_scratch());
    EXPECT_EQ(b->fifty_count, 0);

    b->set_position("4k2r/8/8/8/8/8/8/R3K2R w KQk - 5 1");
    ASSERT_TRUE(b->make_move(mv("e1", "e2", 0)));
    EXPECT_EQ(b->castle_rights, 4); // the king took both white rights with it
    EXPECT_EQ(b->fifty_count, 1);
    b->set_position("4k2r/8/8/8/8/8/8/R3K2R w KQk - 0 1");
    ASSERT_TRUE(b->make_move(mv("e1", "g1", FLAG_CASTLE)));
    EXPECT_EQ(b->fifty_count, 1);
    b->set_position("4k2r/8/8/8/8/8/8/4K2R w Kk - 0 1");
    ASSERT_TRUE(b->make_move(mv("h1", "h8", FLAG_CAPTURE)));
    EXPECT_EQ(b->castle_rights, 0);
}

// The perft walks see the key, not the fifty-move count: a pawn move or a
// capture starts it again, any other move (castling too) adds one.
TEST_F(BoardTest, FiftyMoveCount) {
    b->set_position("4k2r/8/8/8/8/8/4P3/R3K2R w Kk - 0 1");
    ASSERT_TRUE(b->make_move(mv("e1", "g1", FLAG_CASTLE)));
    ASSERT_TRUE(b->make_move(mv("e8", "d8", 0)));
    EXPECT_EQ(b->fifty_count, 2);
    ASSERT_TRUE(b->make_move(mv("e2", "e4", FLAG_DOUBLE | FLAG_PAWN)));
    EXPECT_EQ(b->fifty_count, 0);
    ASSERT_TRUE(b->make_move(mv("h8", "h2", 0)));
    ASSERT_TRUE(b->make_move(mv("a1", "a2", 0)));
    EXPECT_EQ(b->fifty_count, 2);
    ASSERT_TRUE(b->make_move(mv("h2", "a2", FLAG_CAPTURE)));
    EXPECT_EQ(b->fifty_count, 0);
}

TEST_F(BoardTest, RefusedMovesChangeNothing) {
    b->set_position("4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1"); // the bishop is pinned
    snapshot before(*b);
    EXPECT_FALSE(b->make_move(mv("e2", "d3", 0)));
    EXPECT_TRUE(snapshot(*b) == before);
    EXPECT_FALSE(b->make_move(mv("d4", "d5", 0))); // nothing on d4
    EXPECT_FALSE(b->make_move(no_move));
    EXPECT_TRUE(snapshot(*b) == before);
    b->unmake_move(); // nothing to take back
    EXPECT_TRUE(snapshot(*b) == before);
}

// Pins along a file and a diagonal; two pieces between, and a slider of
// the wrong kind for its line, pin nothing. A pinned piece may move along
// its line, up to taking the pinner, and nowhere else.
TEST_F(BoardTest, PinnedPiecesKeepToTheirLines) {
    b->set_position("4r2k/8/8/b7/5n1q/6N1/3BRP2/bN2K3 w - - 0 1");
    EXPECT_EQ(b->pinned_pieces(WHITE),
              square_bit(square_from_text("d2")) | square_bit(square_from_text("e2")));
    EXPECT_EQ(b->pinned_pieces(BLACK), 0u);
    const snapshot before(*b);
    const struct {
        move m;
        bool legal;
    } cases[] = {
        {mv("e2", "e5", 0), true},  {mv("e2", "e8", FLAG_CAPTURE), true},
        {mv("d2", "c3", 0), true},  {mv("d2", "a5", FLAG_CAPTURE), true},
        {mv("d2", "e3", 0), false}, {mv("d2", "f4", FLAG_CAPTURE), false},
        {mv("b1", "c3", 0), true},  {mv("g3", "e4", 0), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(b->make_move(c.m), c.legal) << square_names[c.m.from] << square_names[c.m.to];
        if (c.legal) b->unmake_move();
        EXPECT_TRUE(snapshot(*b) == before) << square_names[c.m.from] << square_names[c.m.to];
    }
}

TEST_F(BoardTest, HistoryIsLongAndBounded) {
    b->set_position("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    int made = 0;
    for (int i = 0; i < HISTORY_SIZE + 10; i++) {
        bool white = b->side_to_move == WHITE;
        move m = white ? (i % 4 == 0 ? mv("a1", "a2", 0) : mv("a2", "a1", 0))
                       : (i % 4 == 1 ? mv("e8", "d8", 0) : mv("d8", "e8", 0));
        if (!b->make_move(m)) break;
        made++;
    }
    EXPECT_EQ(made, HISTORY_SIZE);
    EXPECT_EQ(b->history_count, HISTORY_SIZE);
}

TEST_F(BoardTest, StoredMoveValidity) {
    b->set_position("r3k2r/8/8/8/8/8/4P3/R3K2R w KQkq - 0 1");
    EXPECT_TRUE(b->move_is_valid(mv("e1", "g1", FLAG_CASTLE)));
    EXPECT_TRUE(b->move_is_valid(mv("e1", "c1", FLAG_CASTLE)));
    EXPECT_TRUE(b->move_is_valid(mv("e2", "e4", FLAG_DOUBLE | FLAG_PAWN)));
    EXPECT_TRUE(b->move_is_valid(mv("a1", "a8", FLAG_CAPTURE)));
    EXPECT_FALSE(b->move_is_valid(mv("a1", "a8", 0))); // capture without its flag
    EXPECT_FALSE(b->move_is_valid(mv("a1", "e1", 0))); // onto an own piece
    EXPECT_TRUE(b->move_is_valid(mv("h1", "h8", FLAG_CAPTURE)));
    b->castled[WHITE] = 1;
    EXPECT_FALSE(b->move_is_valid(mv("e1", "g1", FLAG_CASTLE)));
    b->set_position("4k3/4P3/8/8/8/4p3/4P3/4K3 w - - 0 1");
    EXPECT_FALSE(b->move_is_valid(mv("e2", "e3", FLAG_PAWN))); // blocked
    EXPECT_FALSE(
        b->move_is_valid(mv("e7", "e8", FLAG_PROMOTE | FLAG_PAWN, QUEEN))); // promotions never
    EXPECT_FALSE(b->move_is_valid(no_move));
    b->set_position("4k3/8/8/3r4/4P3/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(b->move_is_valid(mv("e4", "d5", FLAG_PAWN | FLAG_CAPTURE))); // pawn captures never
}

TEST_F(BoardTest, MaterialBalance) {
    b->set_position("r1bqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(b->material_balance(WHITE), 300);
    EXPECT_EQ(b->material_balance(BLACK), -300);
}

// A stored move whose flags belong to another piece would make make_move
// update the wrong tables: only the generator's flags for the piece pass.
TEST_F(BoardTest, StoredMoveFlagsMustFitThePiece) {
    b->set_position("4k3/8/8/3pP3/8/8/8/Q3K3 w - d6 0 1");
    EXPECT_TRUE(b->move_is_valid(mv("e5", "d6", EP_FLAGS)));
    EXPECT_FALSE(b->move_is_valid(mv("e5", "d6", FLAG_EP)));
    EXPECT_FALSE(b->move_is_valid(mv("e5", "d6", FLAG_EP | FLAG_CAPTURE)));
    EXPECT_TRUE(b->move_is_valid(mv("e1", "e2", 0)));
    EXPECT_FALSE(b->move_is_valid(mv("e1", "e2", FLAG_PAWN)));
    EXPECT_FALSE(b->move_is_valid(mv("a1", "a3", FLAG_PAWN | FLAG_DOUBLE)));
    EXPECT_FALSE(b->move_is_valid(mv("a1", "a2", 0, QUEEN)));
    EXPECT_TRUE(b->move_is_valid(mv("e5", "e6", FLAG_PAWN)));
    EXPECT_FALSE(b->move_is_valid(mv("e5", "e6", FLAG_PAWN, KNIGHT)));
    b->set_position("4k3/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_FALSE(b->move_is_valid(mv("e1", "g1", FLAG_CASTLE | FLAG_PAWN)));
}

// Every pawn may still promote to one type, so a side's pawns and pieces of
// a type must fit its row together: no position set up may overflow it.
TEST_F(BoardTest, PromotionsNeverOverflowARow) {
    const char* crowded = "8/PPP5/8/4k3/8/7N/8/NNNNNNNK w - - 0 1";
    EXPECT_STREQ(position_problem(crowded),
                 "too many pieces of one type and colour once its pawns promote");
    EXPECT_EQ(position_problem("8/PP6/8/4k3/8/7N/8/NNNNNNNK w - - 0 1"), nullptr);
    EXPECT_EQ(position_problem("4k3/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1"), nullptr);
    // With two pawns the last knight still finds a slot.
    b->set_position("8/PP6/8/4k3/8/7N/8/NNNNNNNK w - - 0 1");
    ASSERT_TRUE(b->make_move(mv("a7", "a8", FLAG_PAWN | FLAG_PROMOTE, KNIGHT)));
    ASSERT_TRUE(b->make_move(mv("e5", "e6", 0)));
    ASSERT_TRUE(b->make_move(mv("b7", "b8", FLAG_PAWN | FLAG_PROMOTE, KNIGHT)));
    EXPECT_EQ(b->piece_count(KNIGHT, WHITE), PIECE_SLOTS);
    int listed = 0;
    for (int slot = 0; slot < PIECE_SLOTS; slot++) listed += b->white_pieces[KNIGHT][slot] >= 0;
    EXPECT_EQ(listed, PIECE_SLOTS);
}

// Random games through castling, en passant, promotions and captures, with
// both make pairs: after every make and unmake the square sets and slots
// agree with the nodes and the piece tables.
TEST_F(BoardTest, SquareSetsAndSlotsFollowEveryMove) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/1P4P1/8/2pP4/8/8/1p4p1/R3K2R w KQkq c6 0 1",
        "4k3/PPP5/8/8/8/8/5ppp/4K3 b - - 0 1",
    };
    auto ml = std::make_unique<mlist>();
    std::mt19937 rng(1313);
    for (const char* fen : fens) {
        b->set_position(fen);
        ASSERT_TRUE(sets_follow_nodes(*b)) << fen;
        for (int ply = 0; ply < 80; ply++) {
            ml->first[0] = 0;
            const int n = ml->generate_moves(*b, 0);
            if (n == 0) break;
            const move m = ml->moves[rng() % n];
            const bool light = (m.flags & FLAG_CAPTURE) && rng() % 2;
            if (light ? !b->make_light(m) : !b->make_move(m)) continue;
            ASSERT_TRUE(sets_follow_nodes(*b)) << fen << " ply " << ply;
            if (!light && rng() % 4) continue;
            light ? b->unmake_light() : b->unmake_move();
            ASSERT_TRUE(sets_follow_nodes(*b)) << fen << " ply " << ply;
        }
    }
}
