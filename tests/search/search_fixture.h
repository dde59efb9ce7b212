// A search over its own board, lists and evaluation, with a fresh table and
// no seams: no input, no book, no bitbases.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "eval/eval.h"
#include "eval/tropism.h"
#include "movegen/mlist.h"
#include "search/search.h"
#include "search/tt.h"

constexpr int SEARCH_TEST_HASH_MB = 16;
// A list for the tests' own generation, far above the lists a search fills.
constexpr int SCRATCH_PLY = 60;
constexpr int SCRATCH_FIRST = MAX_MOVES - 512;

class SearchTest : public testing::Test {
  protected:
    std::unique_ptr<board> b = std::make_unique<board>();
    std::unique_ptr<mlist> ml = std::make_unique<mlist>();
    std::unique_ptr<eval> ev = std::make_unique<eval>();
    std::unique_ptr<search> s = std::make_unique<search>();
    pv_line line;

    static void SetUpTestSuite() { build_distance_tables(); }

    void SetUp() override {
        // Other suites shrink the table; every search test starts from 16 MB.
        if (tt_count() != tt_size_for(SEARCH_TEST_HASH_MB)) tt_allocate(SEARCH_TEST_HASH_MB);
        tt_clear();
        seams = search_seams();
        abort_search = 0;
        poll_count = 0;
        ml->first[0] = 0;
        s->attach(*b, *ml, *ev);
        s->reset_search();
        s->show_thinking = 0;
        line[0] = no_move;
    }

    void TearDown() override {
        seams = search_seams();
        think_state = 0;
    }

    void set(const char* fen) {
        b->set_position(fen);
        ml->first[0] = 0;
    }

    // The legal move of the position written as from, to and an optional
    // promotion letter ("e7e8q"); no_move when there is none.
    move find(const std::string& text) {
        ml->first[SCRATCH_PLY] = SCRATCH_FIRST;
        ml->generate_legal_moves(*b, SCRATCH_PLY);
        for (int i = ml->first[SCRATCH_PLY]; i < ml->first[SCRATCH_PLY + 1]; i++)
            if (coordinates(ml->moves[i]) == text) return ml->moves[i];
        return no_move;
    }

    // Makes the moves given as coordinate text; false at the first that is not legal.
    bool play(std::initializer_list<const char*> moves) {
        for (const char* text : moves) {
            const move m = find(text);
            if (m == no_move || !b->make_move(m)) return false;
        }
        return true;
    }

    static std::string coordinates(move m) {
        std::string text = std::string(square_names[m.from]) + square_names[m.to];
        if (m.promote) text += " pnbrqk"[m.promote];
        return text;
    }

    // The list of a ply as the test fills it by hand.
    void set_list(int ply, std::initializer_list<std::pair<move, int>> entries) {
        int i = ml->first[ply];
        for (const auto& [m, score] : entries) {
            ml->moves[i] = m;
            ml->scores[i++] = score;
        }
        ml->first[ply + 1] = i;
    }

    // The ordering score a move of the ply's list was given.
    int score_of(int ply, move m) const {
        for (int i = ml->first[ply]; i < ml->first[ply + 1]; i++)
            if (ml->moves[i] == m) return ml->scores[i];
        ADD_FAILURE() << coordinates(m) << " is not in the list";
        return -1;
    }
};
