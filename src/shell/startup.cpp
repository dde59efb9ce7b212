#include "shell/startup.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "board/key_table.h"
#include "chess.h"
#include "eval/tropism.h"
#include "search/tt.h"
#include "shell/command_loop.h"
#include "shell/config.h"
#include "shell/egbb.h"
#include "shell/platform.h"
#include "shell/shared_commands.h"
#include "shell/xboard.h"

#if defined(__clang__)
#define KORVEL_BUILD_NOTE "clang " __clang_version__
#elif defined(__GNUC__)
#define KORVEL_BUILD_NOTE "g++ " __VERSION__
#else
#define KORVEL_BUILD_NOTE "C++"
#endif

int setup_pending = 1;
int book_enabled = 1;
int show_board = 1;

// A GUI reads our answers through a pipe: nothing may wait in a buffer.
void init_console() {
    if (stdin_is_terminal()) {
        prepare_console();
    } else {
        ignore_interrupts();
        setvbuf(stdin, nullptr, _IONBF, 0);
        setvbuf(stdout, nullptr, _IONBF, 0);
    }
    startup();
}

namespace {

bool uci_dialect() {
    return dialect == DIALECT_UCI;
}

// The search asks the book before it thinks, unless the book is switched off.
bool pick_book_move(move* out) {
    return book_enabled &&
           engine.book.book_pick(engine.pos, engine.lists, engine.srch.book_misses, out);
}

} // namespace

void startup() {
    printf("Korvel v1.01 (" KORVEL_BUILD_NOTE ") Feb 6 2011 (xboard/UCI)\n");
    srand(unsigned(time(nullptr)));
    init_key_table();
    show_board = 1;
    build_distance_tables();
    new_game();
    engine.srch.max_depth = DEFAULT_DEPTH;
    engine.srch.search_mode = MODE_DEPTH;
    game_side = engine.pos.side_to_move;
    game_over = 0;
    engine_side = game_side ^ 1;
    read_config();
    egbb_loaded = egbb_load();
    seams.poll_input = read_and_dispatch;
    seams.uci_dialect = uci_dialect;
    seams.book_pick = pick_book_move;
    seams.bitbase_probe = egbb_loaded ? egbb_probe : nullptr;
}

void lazy_setup(bool open_book) {
    if (!setup_pending) return;
    if (open_book) engine.book.book_open();
    tt_allocate(hash_size_mb);
    printf("hash table size = %d Mb\n", hash_size_mb);
    setup_pending = 0;
}
