// Hands out the moves of a full-width node one at a time: the stored move
// of the position first, before any generation, then the list by score.
#pragma once

#include "board/types.h"

enum pick_phase : int { PHASE_LIST = 0, PHASE_HASH = 1, PHASE_GENERATE = 3 };

struct move_picker {
    int ply;
    int index; // next list entry to hand out
    bool in_check;
    move current; // the move handed out last
    move hash_move;
    int phase;
};

// Ordering scores; the higher, the earlier.
constexpr int SCORE_HASH_MOVE = 50001;
constexpr int SCORE_PV_MOVE = 50000;
constexpr int SCORE_GOOD_CAPTURE = 40000;
constexpr int SCORE_PROMOTION_BASE = 39900;
constexpr int SCORE_KILLER1 = 30001;
constexpr int SCORE_KILLER2 = 30000;
constexpr int SCORE_BAD_CAPTURE = 20000;
constexpr int SCORE_HISTORY_BASE = 10000;
constexpr int HISTORY_SCORED_MOVES = 4; // quiet moves per list that get a history score
