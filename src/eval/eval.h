// The static evaluation: a tapered score of a position, in centipawns from
// the side to move's point of view.
#pragma once

#include "board/board.h"

class eval {
  public:
    virtual ~eval();

    // alpha and beta only decide the lazy exits: a score far outside the
    // window comes back early, as the bound or as the partial score.
    int evaluate(const board& b, int alpha, int beta) const;
};
