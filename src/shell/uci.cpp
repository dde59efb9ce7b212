// UCI commands, matched in this order:
//
//   uci          exact     make UCI the active set and identify the engine
//   isready      exact     set up the table (and book) if not done; "readyok"
//   setoption    prefix 9  nothing: the engine has no options
//   ucinewgame   exact     new game
//   position     prefix 8  startpos or fen <fen>, then optional moves
//   go           prefix 2  search with the limits of the line; "bestmove"
//   ponderhit    exact     the pondering search has already ended; clock mode
//   stop         exact     stop thinking
//   quit         exact     end the program
//
// Anything else is ignored. Every line that arrives during a search ends
// that search first, so stop and ponderhit take effect by arriving.
#include "shell/uci.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "chess.h"
#include "movegen/clock.h"
#include "shell/command_loop.h"
#include "shell/command_table.h"
#include "shell/move_text.h"
#include "shell/shared_commands.h"
#include "shell/startup.h"
#include "shell/xboard.h"

constexpr int DEFAULT_MOVES_TO_GO = 30;
// How often a search that has nothing left to do looks for stop or ponderhit.
constexpr std::chrono::milliseconds IDLE_POLL{1};

namespace {

// The GUI waits for these lines, so they must not sit in a buffer.
void say(const char* text) {
    printf("%s\n", text);
    fflush(stdout);
}

void run_uci(const char*) {
    dialect = DIALECT_UCI;
    say("id name Korvel");
    say("id author Vendrake");
    say("uciok");
}

void run_isready(const char*) {
    lazy_setup(true);
    say("readyok");
}

void run_nothing(const char*) {}
void run_newgame(const char*) {
    new_game();
}

void play_move_list(const char* line) {
    const char* at = strstr(line, "moves");
    if (!at) return;
    char words[LINE_BYTES];
    snprintf(words, sizeof words, "%s", text_from(at, 6));
    char* rest = nullptr;
    for (char* w = strtok_r(words, " ", &rest); w; w = strtok_r(nullptr, " ", &rest))
        parse_and_play_user_move(w);
}

// A refused position leaves the board as it was, move list and all.
void run_position(const char* line) {
    const bool fen = strncmp(line, "position fen", 12) == 0;
    if (set_position_checked(fen ? text_from(line, 13) : START_FEN)) {
        say("info string illegal position");
        return;
    }
    play_move_list(line);
}

void run_ponderhit(const char*) {
    engine.srch.search_mode = MODE_UCI_CLOCK;
    search_start_ms = now_ms();
    think_state = 1;
}

void run_stop(const char*) {
    think_state = 0;
}
void run_quit(const char*) {
    exit(0);
}

const command COMMANDS[] = {
    {"uci", EXACT, run_uci},
    {"isready", EXACT, run_isready},
    {"setoption", PREFIX, run_nothing},
    {"ucinewgame", EXACT, run_newgame},
    {"position", PREFIX, run_position},
    {"go", PREFIX, uci_go},
    {"ponderhit", EXACT, run_ponderhit},
    {"stop", EXACT, run_stop},
    {"quit", EXACT, run_quit},
};

struct go_limits {
    int time[2] = {0, 0}; // by colour
    int inc[2] = {0, 0};
    int movetime = 0;
    int movestogo = 0;
    int depth = 0;
    int mate = 0;
    bool infinite = false;
    bool ponder = false;
};

// Keywords are compared over their own length; a value keyword reads the
// next word, and one at the end of the line counts as 0.
go_limits read_go_words(const char* line) {
    go_limits g;
    char words[LINE_BYTES];
    snprintf(words, sizeof words, "%s", line);
    char* rest = nullptr;
    strtok_r(words, " ", &rest); // "go"
    auto value = [&rest]() {
        const char* w = strtok_r(nullptr, " ", &rest);
        return w ? atoi(w) : 0;
    };
    auto is = [](const char* w, const char* keyword) {
        return strncmp(w, keyword, strlen(keyword)) == 0;
    };
    for (char* w = strtok_r(nullptr, " ", &rest); w; w = strtok_r(nullptr, " ", &rest)) {
        if (is(w, "infinite"))
            g.infinite = true;
        else if (is(w, "wtime"))
            g.time[WHITE] = value();
        else if (is(w, "btime"))
            g.time[BLACK] = value();
        else if (is(w, "winc"))
            g.inc[WHITE] = value();
        else if (is(w, "binc"))
            g.inc[BLACK] = value();
        else if (is(w, "movestogo"))
            g.movestogo = value();
        else if (is(w, "depth"))
            g.depth = value();
        else if (is(w, "ponder"))
            g.ponder = true;
        else if (is(w, "nodes"))
            value();
        else if (is(w, "mate"))
            g.mate = value();
        else if (is(w, "movetime"))
            g.movetime = value();
    }
    return g;
}

// A depth or mate limit beside a clock or a move time bounds the search
// without switching the clock off.
void apply_limits(const go_limits& g) {
    search& s = engine.srch;
    s.depth_cap = 0;
    if (g.depth > 0) {
        s.max_depth = g.depth;
        s.search_mode = MODE_DEPTH;
    } else if (g.mate > 0) {
        // Mate in n is 2n - 1 plies; a count no search could reach stays an int.
        s.max_depth = int(std::min<int64_t>(2 * int64_t(g.mate) - 1, INT_MAX));
        s.search_mode = MODE_DEPTH;
    }
    if (g.depth > 0 || g.mate > 0) s.depth_cap = s.max_depth;
    const int side = engine.pos.side_to_move;
    const int clock = g.time[side];
    const int inc = g.inc[side] > 0 ? g.inc[side] : 0;
    if (g.movetime > 0) {
        s.search_mode = MODE_FIXED_TIME;
        s.time_value = g.movetime;
    } else if (clock > 0) {
        s.moves_to_go = g.movestogo > 0 ? g.movestogo : DEFAULT_MOVES_TO_GO;
        s.time_value = clock;
        s.increment = inc;
        s.search_mode = MODE_UCI_CLOCK;
    }
    if (g.infinite || g.ponder) s.search_mode = MODE_INFINITE;
}

// UCI writes a promotion with a lower-case letter (e7e8q), and GUIs refuse
// the upper-case one that the other dialects print.
move_text uci_move_text(move m) {
    move_text t = move_to_text(m);
    for (char& c : t.text) c = char(tolower(static_cast<unsigned char>(c)));
    return t;
}

// An infinite or pondering search answers only after stop or ponderhit,
// also when it ended by itself (no legal move, or the last depth done). The
// line that ends the wait stays unread, as it does during a search.
void wait_for_next_line() {
    while (think_state != 0) {
        read_and_dispatch();
        if (think_state != 0) std::this_thread::sleep_for(IDLE_POLL);
    }
}

} // namespace

void uci_command(const char* line) {
    if (const command* c = find_command(COMMANDS, line)) c->run(line);
}

// With no legal move the answer is the null move "0000", which UCI GUIs accept.
void uci_go(const char* line) {
    lazy_setup(true); // a GUI may send go without isready
    think_state = 1;
    const go_limits g = read_go_words(line);
    apply_limits(g);
    engine.srch.reset_search();
    engine.srch.think();
    if (g.infinite || g.ponder) wait_for_next_line();
    const move best = engine.srch.best_move;
    if (best == no_move) {
        printf("bestmove 0000\n");
        return;
    }
    printf("bestmove %s ", uci_move_text(best).text);
    if (engine.srch.ponder_move != no_move)
        printf("ponder %s", uci_move_text(engine.srch.ponder_move).text);
    printf("\n");
}
