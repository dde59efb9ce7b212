// The engine object: one of each of the engine's working parts, for the whole run.
#pragma once

#include "board/board.h"
#include "book/book.h"
#include "eval/eval.h"
#include "movegen/mlist.h"
#include "search/search.h"

class chess {
  public:
    eval ev;
    board pos;
    search srch;
    mlist lists;
    hash book;

    chess();
    virtual ~chess();
};

extern chess engine;

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
