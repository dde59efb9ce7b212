// Console commands, matched in this order; the first match wins:
//
//   xboard     exact     switch to the xboard set (table and book set up first)
//   help       exact     list some commands
//   uci        exact     switch to the UCI set
//   post       exact     show the board and the thinking
//   nopost     exact     show neither
//   create     exact     build a book file from a PGN file (a dialogue)
//   eval       exact     static evaluation of the position, full window
//   egbb       prefix 4  bitbase score of the position (silent when not loaded)
//   see        prefix 3  static exchange on the square named by the third word
//   perft      prefix 5  count moves to the depth from character 6 (below 7)
//   st         prefix 2  seconds per move from character 3 (so "stop" sets 0)
//   epd        prefix 3  run test suite 1..9 from character 4 (no book from now on)
//   setboard   prefix 8  set the position from character 9, then show it
//   sb         prefix 2  set the position from character 3, then show it
//   go         exact     think and play the move on the board (only the thinking is shown)
//   analyze    exact     think until input arrives; no book from now on
//   display    exact     show the position
//   new        exact     new game
//   exit       exact     ask the next search to abort
//   quit       exact     end the program
//
// Anything else is ignored without a word.
#include "shell/console.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chess.h"
#include "egbb/interface.h"
#include "movegen/perft.h"
#include "search/tt.h"
#include "shell/command_loop.h"
#include "shell/command_table.h"
#include "shell/config.h"
#include "shell/create_book.h"
#include "shell/egbb.h"
#include "shell/epd_runner.h"
#include "shell/move_text.h"
#include "shell/startup.h"
#include "shell/uci.h"
#include "shell/xboard.h"

constexpr int CONSOLE_PERFT_LIMIT = 7;
constexpr double MS_PER_SECOND = 1000.0;

namespace {

void run_xboard(const char* line) {
    lazy_setup(true);
    xboard_command(line);
}

// Lists only some of the commands, on purpose: the rest are for GUIs and tests.
constexpr const char* HELP_LINES[] = {
    "\nKorvel's commands:",
    "setboard or sb <fen>",
    "analyze",
    "exit",
    "display",
    "perft <depth>",
    "create",
    "help",
    "quit",
};

void run_help(const char*) {
    for (const char* l : HELP_LINES) printf("%s\n", l);
}

void run_post(const char*) {
    show_board = engine.srch.show_thinking = 1;
}
void run_nopost(const char*) {
    show_board = engine.srch.show_thinking = 0;
}

// The table is set up first, but the book is left closed: it may be the
// file this dialogue is about to replace.
void run_create(const char*) {
    lazy_setup(false);
    create_book();
}

void run_eval(const char*) {
    printf("%d\n", engine.ev.evaluate(engine.pos, -MATE, MATE));
}

// Prints the library's raw answer, 99999 when it does not know the position.
void run_egbb(const char*) {
    if (!egbb_loaded) return;
    if (!egbb_in_domain(engine.pos)) {
        printf("egbb: not probed, the bitbases hold at most %d pieces besides the kings\n",
               EGBB_PIECE_SLOTS);
        return;
    }
    int score = 0;
    egbb_probe(engine.pos, &score);
    printf("egbb score = %d\n", score);
}

// The second word is not looked at; the third names the square.
void run_see(const char* line) {
    lazy_setup(true);
    char words[LINE_BYTES];
    snprintf(words, sizeof words, "%s", line);
    char* rest = nullptr;
    strtok_r(words, " ", &rest);
    const char* second = strtok_r(nullptr, " ", &rest);
    const char* third = second ? strtok_r(nullptr, " ", &rest) : nullptr;
    int square = third ? square_from_text(third) : NO_SQUARE;
    if (square == NO_SQUARE) {
        printf("see needs a square as its third word, as in: see x e4\n");
        return;
    }
    printf("see  score = %d\n", engine.pos.see(square));
}

void run_perft(const char* line) {
    int depth = number_from(line, 6);
    if (depth < CONSOLE_PERFT_LIMIT) perft(depth, engine.lists, engine.pos);
}

void run_st(const char* line) {
    engine.srch.time_value = number_from(line, 3) * MS_PER_SECOND;
    engine.srch.search_mode = MODE_FIXED_TIME;
}

// A suite that cannot be read leaves everything as it was, the book included.
void run_epd(const char* line) {
    const char* path = epd_suite_path(number_from(line, 4));
    if (!path || epd_read(path) < 0) return;
    lazy_setup(false);
    book_enabled = 0;
    epd_run();
}

void set_board(const char* fen) {
    if (const char* problem = set_position_checked(fen))
        printf("illegal position: %s\n", problem);
    else
        show_position();
}

void run_setboard(const char* line) {
    set_board(text_from(line, 9));
}
void run_sb(const char* line) {
    set_board(text_from(line, 3));
}

void run_go(const char*) {
    lazy_setup(true);
    engine_move();
}

void run_analyze(const char*) {
    lazy_setup(false);
    book_enabled = 0;
    analyze();
}

void run_new(const char*) {
    lazy_setup(true);
    new_game();
}

void run_exit(const char*) {
    abort_search = 1;
    printf("search aborted\n");
}

void run_quit(const char*) {
    exit(0);
}

const command COMMANDS[] = {
    {"xboard", EXACT, run_xboard},
    {"help", EXACT, run_help},
    {"uci", EXACT, uci_command},
    {"post", EXACT, run_post},
    {"nopost", EXACT, run_nopost},
    {"create", EXACT, run_create},
    {"eval", EXACT, run_eval},
    {"egbb", PREFIX, run_egbb},
    {"see", PREFIX, run_see},
    {"perft", PREFIX, run_perft},
    {"st", PREFIX, run_st},
    {"epd", PREFIX, run_epd},
    {"setboard", PREFIX, run_setboard},
    {"sb", PREFIX, run_sb},
    {"go", EXACT, run_go},
    {"analyze", EXACT, run_analyze},
    {"display", EXACT, [](const char*) { show_position(); }},
    {"new", EXACT, run_new},
    {"exit", EXACT, run_exit},
    {"quit", EXACT, run_quit},
};

} // namespace

const char* text_from(const char* line, int at) {
    return int(strlen(line)) >= at ? line + at : "";
}

int number_from(const char* line, int at) {
    return atoi(text_from(line, at));
}

void console_command(const char* line) {
    if (const command* c = find_command(COMMANDS, line)) c->run(line);
}

void new_game() {
    engine.pos.set_position(START_FEN);
    engine.pos.history_count = 0;
    tt_clear();
    engine.srch.reset_search();
    engine.srch.book_misses = 0;
    engine.srch.base_time_ms = 0;
}

bool engine_move() {
    engine.srch.reset_search();
    engine.srch.think();
    // With no legal move there is nothing to play.
    if (engine.srch.best_move == no_move) return false;
    return engine.pos.make_move(engine.srch.best_move);
}

void analyze() {
    engine.srch.reset_search();
    tt_clear();
    engine.srch.search_mode = MODE_INFINITE;
    engine.srch.think();
}

void show_position() {
    if (show_board) engine.pos.print();
}

const char* set_position_checked(const char* fen) {
    const char* problem = position_problem(fen);
    if (!problem) engine.pos.set_position(fen);
    return problem;
}
