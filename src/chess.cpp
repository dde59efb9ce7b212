#include "chess.h"

#include "shell/config.h"

// Constructed before main runs; the start-up sequence then sets the position.
chess engine;

chess::chess() {
    srch.attach(pos, lists, ev);
    srch.show_thinking = 1;
    // The configuration is read later; the book reads the name when it opens.
    book.file_name = book_file_name;
}

chess::~chess() = default;
