// The search through the console of the real binary: mates found at the
// default depth, analysis stopped by the next line, a fixed time per move.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "board/board.h"
#include "board/key_table.h"
#include "e2e/engine_process.h"
#include "movegen/clock.h"
#include "movegen/mlist.h"
#include "shell/move_text.h"
#include "support/test_data.h"

namespace {

using lines = std::vector<std::string>;

constexpr size_t MATE_RECORDS = 108, BRATKO_KOPEC_RECORDS = 24, PAWN_ENDING_RECORDS = 284;
constexpr int LAST_DEFAULT_ITERATION = 9;
constexpr int MATE_SCORE_BOUND = 3000;
constexpr int SEARCH_TIMEOUT_MS = 60000;
constexpr int FULL_BOARD = 32;
constexpr long long FULL_BOARD_BUDGET_MS = 3000;
constexpr long long ONE_SECOND_AT_LEAST_MS = 900;
constexpr long long ONE_SECOND_AT_MOST_MS = 4000;

// --- Test records -----------------------------------------------------------

struct epd_record {
    std::string fen; // placement, side, castling, en passant
    lines best_moves;
    std::string id;
};

epd_record parse_epd(const std::string& text) {
    epd_record r;
    std::istringstream in(text);
    std::string field;
    for (int i = 0; i < 4 && in >> field; i++) r.fen += (i ? " " : "") + field;
    const size_t bm = text.find(" bm ");
    if (bm != std::string::npos) {
        std::istringstream moves(text.substr(bm + 4, text.find(';', bm) - bm - 4));
        for (std::string m; moves >> m;) r.best_moves.push_back(m);
    }
    const size_t id = text.find("id \"");
    if (id != std::string::npos) r.id = text.substr(id + 4, text.find('"', id + 4) - id - 4);
    return r;
}

// The records of a suite file in tests/data, at least `least` of them, or none.
std::vector<epd_record> read_epd(const std::string& name, size_t least) {
    std::vector<epd_record> records;
    for (const std::string& l : data_lines(name, least)) records.push_back(parse_epd(l));
    return records;
}

// --- Thinking lines and move text --------------------------------------------

struct thinking_line {
    int depth = 0;
    int score = 0;
    std::string first_move; // e2-e4, f3xe5 or e7-e8(Q)
};

// A console thinking line: depth, score, centiseconds, nodes, then the moves.
bool parse_thinking(const std::string& text, thinking_line* out) {
    int depth = 0, score = 0, centiseconds = 0;
    long long nodes = 0;
    char first[16] = "";
    if (sscanf(text.c_str(), "%d %d %d %lld %15s", &depth, &score, &centiseconds, &nodes, first) !=
        5)
        return false;
    *out = {depth, score, first};
    return true;
}

int pieces_of(const std::string& fen) {
    const std::string placement_field = fen.substr(0, fen.find(' '));
    return int(std::count_if(placement_field.begin(), placement_field.end(),
                             [](char c) { return isalpha(c); }));
}

// Piece letters of the FEN placement by square ('.' for empty).
std::array<char, 64> placement(const std::string& fen) {
    std::array<char, 64> board;
    board.fill('.');
    int sq = 0;
    for (char c : fen.substr(0, fen.find(' '))) {
        if (c == '/') continue;
        if (c >= '1' && c <= '8')
            sq += c - '0';
        else if (sq < 64)
            board[sq++] = c;
    }
    return board;
}

struct coordinate_move {
    int from, to;
    char promote; // upper case, or 0
};

bool parse_coordinates(const std::string& text, coordinate_move* out) {
    if (text.size() < 5) return false;
    out->from = square_from_text(text.c_str());
    out->to = square_from_text(text.c_str() + 3);
    out->promote = text.size() >= 8 && text[5] == '(' ? text[6] : 0;
    return out->from != NO_SQUARE && out->to != NO_SQUARE;
}

// Whether the SAN text (Nf3, exd5, R8xe6+, gxf8q+, O-O) names the move in
// the position: the same piece, destination and promotion, and origins
// that agree with any file or rank the text gives.
bool san_names(const std::string& san_text, const std::array<char, 64>& board, bool white,
               const coordinate_move& m) {
    std::string san = san_text;
    while (!san.empty() && std::string("+#!?").find(san.back()) != std::string::npos)
        san.pop_back();
    const char piece = char(toupper(board[m.from]));
    if (san == "O-O" || san == "O-O-O") {
        const int rank_start = white ? 56 : 0;
        return piece == 'K' && m.from == rank_start + 4 &&
               m.to == rank_start + (san == "O-O" ? 6 : 2);
    }
    char promote = 0;
    if (san.size() >= 3 && isalpha(san.back()) &&
        (isdigit(san[san.size() - 2]) || san[san.size() - 2] == '=')) {
        promote = char(toupper(san.back()));
        san.pop_back();
        if (san.back() == '=') san.pop_back();
    }
    if (san.size() < 2) return false;
    const int to = square_from_text(san.c_str() + san.size() - 2);
    const char san_piece = isupper(san[0]) ? san[0] : 'P';
    std::string hints =
        san.substr(san_piece == 'P' ? 0 : 1, san.size() - 2 - (san_piece == 'P' ? 0 : 1));
    hints.erase(std::remove(hints.begin(), hints.end(), 'x'), hints.end());
    for (char h : hints) {
        if (h >= 'a' && h <= 'h' && m.from % 8 != h - 'a') return false;
        if (h >= '1' && h <= '8' && m.from / 8 != '8' - h) return false;
    }
    return piece == san_piece && m.to == to && m.promote == promote;
}

// --- Driving the console ------------------------------------------------------

// Sets the position, searches at the default depth and returns the last
// thinking line, which is that of the last iteration.
bool search_at_default_depth(engine_process& e, const std::string& fen, thinking_line* last) {
    e.send("sb " + fen);
    e.send("go");
    const double deadline = now_ms() + SEARCH_TIMEOUT_MS;
    std::string text;
    while (e.read_line(text, int(std::max(0.0, deadline - now_ms())))) {
        thinking_line t;
        if (!parse_thinking(text, &t)) continue;
        *last = t;
        if (t.depth == LAST_DEFAULT_ITERATION) return true;
    }
    return false;
}

// The engine waits for input when it has no search to run: it sleeps in a
// read, so its state in /proc turns from running to sleeping.
bool engine_sleeping(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] == 'S';
}

// The placement the console's diagram shows, by square ('.' for empty);
// switches the diagram on, which the caller switches off again.
std::array<char, 64> shown_placement(engine_process& e) {
    std::array<char, 64> shown;
    shown.fill('?');
    e.send("post");
    e.send("display");
    std::string text;
    int row = -1; // the diagram opens with an empty line
    while (row < 8 && e.read_line(text)) {
        if (row < 0) {
            row += text.empty();
            continue;
        }
        for (int file = 0; file < 8 && size_t(3 * file + 1) < text.size(); file++)
            shown[8 * row + file] = text[3 * file + 1];
        row++;
    }
    e.read_line(text); // and closes with one
    return shown;
}

// Whether exactly one legal move of the position leads to the placement.
bool one_legal_move_apart(const std::string& fen, const std::array<char, 64>& after) {
    auto b = std::make_unique<board>();
    auto ml = std::make_unique<mlist>();
    b->set_position(fen.c_str());
    ml->first[0] = 0;
    ml->generate_legal_moves(*b, 0);
    int matches = 0;
    for (int i = ml->first[0]; i < ml->first[1]; i++) {
        if (!b->make_move(ml->moves[i])) continue;
        std::array<char, 64> placed;
        for (int s = 0; s < 64; s++) {
            const char letter = ".PNBRQK"[b->squares[s].piece];
            placed[s] = b->squares[s].colour == BLACK ? char(tolower(letter)) : letter;
        }
        matches += placed == after;
        b->unmake_move();
    }
    return matches == 1;
}

// Milliseconds from sending "go" until the engine is idle again.
double timed_go(engine_process& e, const std::string& fen) {
    e.send("sb " + fen);
    const double start = now_ms();
    e.send("go");
    // Let the engine wake up and start before its state means anything.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    while (!engine_sleeping(e.pid()) && now_ms() - start < SEARCH_TIMEOUT_MS) usleep(500);
    return now_ms() - start;
}

lines varied_positions() {
    lines fens;
    for (const epd_record& r : read_epd("epd/bratko-kopec.epd", BRATKO_KOPEC_RECORDS))
        fens.push_back(r.fen);
    const std::vector<epd_record> endings = read_epd("epd/pawn-endings.epd", PAWN_ENDING_RECORDS);
    for (size_t i = 0; i < endings.size() && fens.size() < 30; i += 10)
        fens.push_back(endings[i].fen);
    return fens;
}

} // namespace

// Every mate in two or three with fewer than 32 pieces is searched. The
// full-board compositions take up to seconds each at the default depth, so
// they run in file order while their time budget lasts, or all of them
// when KORVEL_ALL_MATES is set.
TEST(SearchMates, MatesInTwoAndThreeAtTheDefaultDepth) {
    const std::vector<epd_record> suite = read_epd("epd/mate.epd", MATE_RECORDS);
    if (suite.empty()) return; // the reader has said why
    std::vector<epd_record> mates;
    for (const epd_record& r : suite)
        if (r.id.rfind("Mate in 2", 0) == 0 || r.id.rfind("Mate in 3", 0) == 0) mates.push_back(r);
    ASSERT_EQ(mates.size(), 78u);
    const bool all = getenv("KORVEL_ALL_MATES") != nullptr;

    engine_process e;
    e.read_until("EgbbProbe");
    const double start = now_ms();
    double full_board_ms = 0;
    int searched = 0;
    for (const epd_record& r : mates) {
        const bool full_board = pieces_of(r.fen) == FULL_BOARD;
        if (full_board && !all && full_board_ms >= FULL_BOARD_BUDGET_MS) continue;
        const double began = now_ms();
        thinking_line last;
        ASSERT_TRUE(search_at_default_depth(e, r.fen, &last)) << r.fen;
        if (full_board) full_board_ms += now_ms() - began;
        searched++;
        EXPECT_GT(last.score, MATE_SCORE_BOUND) << r.id << ": " << r.fen;
        coordinate_move m;
        ASSERT_TRUE(parse_coordinates(last.first_move, &m)) << last.first_move;
        const bool white = r.fen.find(" w ") != std::string::npos;
        const bool named =
            std::any_of(r.best_moves.begin(), r.best_moves.end(), [&](const std::string& san) {
                return san_names(san, placement(r.fen), white, m);
            });
        EXPECT_TRUE(named) << r.id << ": " << r.fen << " played " << last.first_move;
    }
    EXPECT_GE(searched, 52);
    printf("%d of %zu mates searched in %.0f ms\n", searched, mates.size(), now_ms() - start);
}

// The move reader of this test itself, on the suite's spellings.
TEST(SearchMates, SanMatching) {
    const auto board = placement("3QR3/n1P2Pp1/N3b2k/B1pBRp2/PP1pqp1P/Kp2Pbp1/Pr2Prp1/5nN1 w - -");
    coordinate_move m;
    ASSERT_TRUE(parse_coordinates("e8xe6", &m));
    EXPECT_TRUE(san_names("R8xe6+", board, true, m));
    EXPECT_FALSE(san_names("R5xe6+", board, true, m));
    ASSERT_TRUE(parse_coordinates("c7-c8(Q)", &m));
    EXPECT_TRUE(san_names("c8q", board, true, m));
    EXPECT_TRUE(san_names("c8=Q+", board, true, m));
    EXPECT_FALSE(san_names("c8r", board, true, m));
    ASSERT_TRUE(parse_coordinates("f7xg8(N)", &m));
    EXPECT_TRUE(san_names("fxg8n", board, true, m));
    EXPECT_FALSE(san_names("Nxg8", board, true, m));
}

// A line sent during an analysis stops it at the next poll and is executed
// once the analysis has ended: its diagram is the last thing printed.
TEST(SearchInput, AnalysisStopsForTheNextLineAndRunsIt) {
    engine_process e;
    e.read_until("EgbbProbe");
    e.send("analyze");
    const double deadline = now_ms() + SEARCH_TIMEOUT_MS;
    std::string text;
    thinking_line t;
    while (e.read_line(text, int(std::max(0.0, deadline - now_ms()))))
        if (parse_thinking(text, &t) && t.depth >= 5) break;
    ASSERT_GE(t.depth, 5);

    const double sent = now_ms();
    e.send("display");
    lines after = e.read_until(" r  n  b  q  k  b  n  r ");
    const double stopped = now_ms() - sent;
    ASSERT_FALSE(after.empty());
    ASSERT_EQ(after.back(), " r  n  b  q  k  b  n  r ");
    for (size_t i = 0; i + 2 < after.size(); i++)
        EXPECT_TRUE(parse_thinking(after[i], &t)) << after[i];
    EXPECT_EQ(after[after.size() - 2], "");
    e.send("quit");
    const lines rest = e.read_to_end();
    ASSERT_EQ(rest.size(), 8u); // the diagram's other rows and its closing blank line
    EXPECT_EQ(rest.back(), "");
    for (const std::string& l : rest) EXPECT_FALSE(parse_thinking(l, &t)) << l;
    printf("analysis stopped and the line ran %.0f ms after it was sent\n", stopped);
    EXPECT_LT(stopped, 2000);
}

// "st 1" then "go": the engine is idle again about a second later, and the
// board shows one legal move made. The positions have no quick forced mate,
// so every search runs its full second; the upper bound is loose because the
// test shares the processor.
TEST(SearchTime, OneSecondPerMove) {
    init_key_table();
    engine_process e;
    e.read_until("EgbbProbe");
    e.send("nopost");
    e.send("st 1");
    const lines fens = varied_positions();
    if (fens.size() < 21) return; // the reader has said why
    for (size_t i : {1, 10, 20}) {
        const double ms = timed_go(e, fens[i]);
        printf("st 1, go: %.0f ms\n", ms);
        EXPECT_GE(ms, ONE_SECOND_AT_LEAST_MS) << fens[i];
        EXPECT_LE(ms, ONE_SECOND_AT_MOST_MS) << fens[i];
        const std::array<char, 64> after = shown_placement(e);
        EXPECT_TRUE(one_legal_move_apart(fens[i], after)) << fens[i];
        e.send("nopost");
    }
}
