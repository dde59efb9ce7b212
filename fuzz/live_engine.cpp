#include "live_engine.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "chess.h"
#include "fuzz_support.h"
#include "movegen/mlist.h"
#include "search/search.h"
#include "shell/command_loop.h"
#include "shell/config.h"
#include "shell/shared_commands.h"
#include "shell/startup.h"
#include "shell/xboard.h"

constexpr int SMALLEST_HASH_MB = 2;
constexpr int MAX_LINES_PER_INPUT = 16;
// With every make checked, perft 3 takes a tenth of a second; searches to a
// fixed depth stay below that depth, timed ones end at their first poll.
constexpr int MAX_PERFT_DEPTH = 2;
constexpr int MAX_SEARCH_DEPTH = 3;

// Never a move of the engine's: a search that ran replaces it.
constexpr move NOT_SEARCHED = {1, 1, 0, 0};

namespace {

std::unique_ptr<mlist> answer_lists;

// A UCI "go" leaves the position as it was and must answer with one of its
// legal moves, or with none only when it has none: a GUI forfeits the game
// on anything else.
bool answer_is_legal(move answer) {
    mlist& ml = *answer_lists;
    ml.first[0] = 0;
    const int legal = ml.generate_legal_moves(engine.pos, 0);
    if (answer == no_move) return legal == 0;
    for (int i = 0; i < legal; i++)
        if (ml.moves[i] == answer) return true;
    return false;
}

bool is_uci_go(const char* line) {
    return dialect == DIALECT_UCI && strncmp(line, "go", 2) == 0;
}

void run_line(const char* line) {
    const bool uci_go = is_uci_go(line);
    final_move = NOT_SEARCHED;
    dispatch_line(line);
    if (uci_go && final_move != NOT_SEARCHED) FUZZ_CHECK(answer_is_legal(final_move));
}

// Input arriving is what ends a search early; here it "arrives" at every poll.
void input_always_waiting() {
    think_state = 0;
}

// "quit" ends the process in every set; "create" reads its answers from
// standard input; a deep perft runs for minutes.
bool line_allowed(const char* line) {
    if (strcmp(line, "quit") == 0) return false;
    if (dialect != DIALECT_CONSOLE) return true;
    if (strcmp(line, "create") == 0) return false;
    return !(strncmp(line, "perft", 5) == 0 && number_from(line, 6) > MAX_PERFT_DEPTH);
}

} // namespace

void start_live_engine() {
    enter_scratch_dir();
    startup();
    seams.poll_input = input_always_waiting;
    hash_size_mb = SMALLEST_HASH_MB;
    lazy_setup(true);
    answer_lists = std::make_unique<mlist>();
}

void reset_live_engine(int new_dialect) {
    dialect = new_dialect;
    new_game();
    engine.srch.max_depth = MAX_SEARCH_DEPTH;
    engine.srch.search_mode = MODE_DEPTH;
    engine.srch.show_thinking = show_board = 1;
    book_enabled = 1;
    game_side = WHITE;
    engine_side = BLACK;
    game_over = 0;
    think_state = abort_search = 0;
}

void run_command_lines(const uint8_t* data, size_t size) {
    size_t at = 0;
    for (int n = 0; n < MAX_LINES_PER_INPUT && at < size; n++) {
        const std::string line = next_line(data, size, at);
        if (line_allowed(line.c_str())) run_line(line.c_str());
        think_state = 0; // as the command loop leaves it after a command
        search& s = engine.srch;
        if (s.search_mode == MODE_DEPTH && s.max_depth > MAX_SEARCH_DEPTH)
            s.max_depth = MAX_SEARCH_DEPTH;
        FUZZ_CHECK(engine.pos.board_ok());
    }
}
