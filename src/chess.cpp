#include "chess.h"

// Constructed before main runs; the start-up sequence then sets the position.
chess engine;

chess::chess() {
    srch.attach(pos, lists, ev);
    srch.show_thinking = 1;
}

chess::~chess() = default;
