// xboard commands, matched in this order (the tail, below, runs after the
// ones marked +):
//
//   xboard      exact     make xboard the active set                   +
//   accepted    prefix 8  nothing                                      +
//   random, easy, hard, computer, white, black, hint   exact  nothing  +
//   result      prefix 6  the game is over; stop thinking
//   new         exact     new game, the engine plays Black
//   force       exact     the engine plays neither side                +
//   go          exact     the engine plays the side to move, now
//   undo        exact     take back one move
//   remove      exact     take back two moves
//   post        exact     show the board and the thinking              +
//   nopost      exact     show neither                                 +
//   display     exact     show the position                            +
//   st          prefix 2  seconds per move from character 3            +
//   sd          prefix 2  depth limit from character 3                 +
//   time        prefix 4  the engine's clock in centiseconds           +
//   otim        prefix 4  nothing: the opponent's clock is not used    +
//   level       prefix 5  moves per control, base minutes, increment   +
//   setboard    prefix 8  set the position from character 9
//   sb          prefix 2  set the position from character 3
//   protover    prefix 8  version 2 gets the feature line              +
//   quit        exact     end the program
//   anything else: a move in coordinate text
//
// The tail: when the game goes on and it is the engine's turn, it moves.
// Taking moves back and setting a position only change the board (and whose
// turn it is): the engine moves after "go" or the opponent's move, never
// because a take-back left its colour to move.
#include "shell/xboard.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "chess.h"
#include "shell/command_loop.h"
#include "shell/command_table.h"
#include "shell/move_text.h"
#include "shell/shared_commands.h"
#include "shell/startup.h"

constexpr double CENTISECONDS_TO_MS = 10.0;
constexpr double SECONDS_TO_MS = 1000.0;
constexpr double MINUTES_TO_MS = 60000.0;
// Two squares and a promotion letter; what follows is not read.
constexpr size_t MOVE_WORD_BYTES = 6;
constexpr int REPETITIONS_FOR_DRAW = 2; // earlier occurrences: the third time the position stands

int game_side = WHITE;
int engine_side = BLACK;
int game_over = 0;

namespace {

void refresh_game_side() {
    game_side = engine.pos.side_to_move;
}

void result_line(const char* text) {
    printf("%s\n", text);
    game_over = 1;
}

// Neither side can mate: no pawn, rook or queen anywhere, and at most one
// minor piece or two knights, all on one side.
bool insufficient_material(const board& b) {
    for (int c : {WHITE, BLACK})
        if (b.piece_count(PAWN, c) + b.piece_count(ROOK, c) + b.piece_count(QUEEN, c) > 0)
            return false;
    int minors[2];
    for (int c : {WHITE, BLACK}) minors[c] = b.piece_count(KNIGHT, c) + b.piece_count(BISHOP, c);
    if (minors[WHITE] > 0 && minors[BLACK] > 0) return false;
    const int side = minors[WHITE] > 0 ? WHITE : BLACK;
    const int knights = b.piece_count(KNIGHT, side), bishops = b.piece_count(BISHOP, side);
    return (knights <= 2 && bishops == 0) || (knights == 0 && bishops == 1);
}

// The engine plays the side to move and announces its move; with no legal
// move there is nothing to announce but the result.
void play_engine_move() {
    think_state = 1;
    if (engine_move()) printf("move %s\n", move_to_text(engine.srch.best_move).text);
    check_game_result();
    refresh_game_side();
}

void run_tail() {
    if (game_over || engine_side != game_side) return;
    play_engine_move();
}

void run_nothing(const char*) {}

void run_xboard(const char*) {
    dialect = DIALECT_XBOARD;
}

void run_result(const char*) {
    game_over = 1;
    think_state = 0;
}

// A new game drops the depth limit of the last one, as GUIs expect.
void run_new(const char*) {
    new_game();
    engine.srch.depth_cap = 0;
    game_side = WHITE;
    engine_side = BLACK;
    game_over = 0;
}

void run_force(const char*) {
    engine_side = -1;
    think_state = 0;
}

void run_go(const char*) {
    if (game_over) return;
    engine_side = game_side;
    play_engine_move();
}

void run_undo(const char*) {
    engine.pos.unmake_move();
    refresh_game_side();
}

void run_remove(const char*) {
    engine.pos.unmake_move();
    engine.pos.unmake_move();
    refresh_game_side();
}

void run_display(const char*) {
    show_position();
}

// Beside a clock or a time per move the depth only bounds the search: a GUI
// sends "sd" after "level", and the clock must still be kept.
void run_sd(const char* line) {
    search& s = engine.srch;
    s.max_depth = s.depth_cap = number_from(line, 3);
    if (s.search_mode != MODE_CLOCK && s.search_mode != MODE_FIXED_TIME) s.search_mode = MODE_DEPTH;
}

void run_time(const char* line) {
    engine.srch.time_value = number_from(line, 5) * CENTISECONDS_TO_MS;
}

// The search keeps its increment in int milliseconds; a GUI or a person may
// type any number of seconds.
int increment_ms(int seconds) {
    return int(std::clamp(seconds * SECONDS_TO_MS, double(INT_MIN), double(INT_MAX)));
}

// "level 40 5 0": moves per control, base minutes, increment seconds; each
// read with atoi, so "5:30" keeps 5 minutes and "0.5" keeps 0 seconds.
void run_level(const char* line) {
    char words[LINE_BYTES];
    snprintf(words, sizeof words, "%s", text_from(line, 6));
    int values[3] = {0, 0, 0};
    char* rest = nullptr;
    char* w = strtok_r(words, " ", &rest);
    for (int i = 0; i < 3 && w; i++, w = strtok_r(nullptr, " ", &rest)) values[i] = atoi(w);
    search& s = engine.srch;
    s.moves_per_control = values[0];
    s.increment = increment_ms(values[2]);
    s.moves_to_go = 0;
    s.time_value = values[1] * MINUTES_TO_MS;
    s.search_mode = MODE_CLOCK;
}

void set_board(const char* fen) {
    if (!set_position_checked(fen))
        refresh_game_side();
    else
        printf("tellusererror Illegal position\n");
}

void run_setboard(const char* line) {
    set_board(text_from(line, 9));
}
void run_sb(const char* line) {
    set_board(text_from(line, 3));
}

void run_protover(const char* line) {
    if (number_from(line, 9) != 2) return;
    printf("feature ping=0 setboard=1 playother=0 san=0 usermove=0 time=1 draw=0 "
           "reuse=1 myname=\"korvel v1.01\" colors=0 ics=0 name=0 pause=0 done=1\n");
}

void run_quit(const char*) {
    exit(0);
}

void run_move(const char* line) {
    if (game_over || parse_and_play_user_move(line) != 1) {
        printf("Error (unknown command):%s\n", line);
        return;
    }
    check_game_result();
    refresh_game_side();
    run_tail();
}

const command COMMANDS[] = {
    {"xboard", EXACT, run_xboard, true},  {"accepted", PREFIX, run_nothing, true},
    {"random", EXACT, run_nothing, true}, {"easy", EXACT, run_nothing, true},
    {"hard", EXACT, run_nothing, true},   {"computer", EXACT, run_nothing, true},
    {"white", EXACT, run_nothing, true},  {"black", EXACT, run_nothing, true},
    {"hint", EXACT, run_nothing, true},   {"result", PREFIX, run_result, false},
    {"new", EXACT, run_new, false},       {"force", EXACT, run_force, true},
    {"go", EXACT, run_go, false},         {"undo", EXACT, run_undo, false},
    {"remove", EXACT, run_remove, false}, {"post", EXACT, run_post, true},
    {"nopost", EXACT, run_nopost, true},  {"display", EXACT, run_display, true},
    {"st", PREFIX, run_st, true},         {"sd", PREFIX, run_sd, true},
    {"time", PREFIX, run_time, true},     {"otim", PREFIX, run_nothing, true},
    {"level", PREFIX, run_level, true},   {"setboard", PREFIX, run_setboard, false},
    {"sb", PREFIX, run_sb, false},        {"protover", PREFIX, run_protover, true},
    {"quit", EXACT, run_quit, false},
};

// File letter - 'a' + 8 * (8 - rank digit), whatever the two characters are:
// the number that tells a malformed square (a message) from a word that is
// no move at all (none). Only square_from_text finds a move, so "E2" never
// stands for another square.
int unchecked_square_number(const char* text) {
    return (text[0] - 'a') + 8 * (8 - (text[1] - '0'));
}

int promotion_of(char c) {
    switch (c) {
    case 'Q':
    case 'q':
        return QUEEN;
    case 'R':
    case 'r':
        return ROOK;
    case 'B':
    case 'b':
        return BISHOP;
    case 'N':
    case 'n':
        return KNIGHT;
    default:
        return 0;
    }
}

} // namespace

void xboard_command(const char* line) {
    const command* c = find_command(COMMANDS, line);
    if (!c) {
        run_move(line);
        return;
    }
    c->run(line);
    if (c->tail) run_tail();
}

int parse_and_play_user_move(const char* text) {
    // Characters past the end of a short word read as NUL.
    char word[MOVE_WORD_BYTES] = {};
    memcpy(word, text, std::min(strlen(text), sizeof word - 1));
    const int from_number = unchecked_square_number(word);
    const int to_number = unchecked_square_number(word + 2);
    // Not even the shape of two squares: not taken for a move, so no message.
    if (from_number < 0 || from_number > 63 || to_number < 0) return 0;
    const int from = square_from_text(word);
    const int to = square_from_text(word + 2);
    const int promote = promotion_of(word[4]);
    move m = no_move;
    engine.lists.generate_moves(engine.pos, 0);
    if (from == NO_SQUARE || to == NO_SQUARE || engine.lists.find_move(from, to, promote, &m) < 0) {
        printf("illegal move...(1)\n");
        return 0;
    }
    if (!engine.pos.make_move(m)) {
        printf("illegal move...(2)\n");
        return 0;
    }
    return 1;
}

void check_game_result() {
    board& b = engine.pos;
    if (b.fifty_count >= FIFTY_MOVE_PLIES) result_line("1/2-1/2 {50-move rule}");
    if (engine.srch.repetition_count() >= REPETITIONS_FOR_DRAW)
        result_line("1/2-1/2 {3-fold repetition}");
    // The misspelling is the line GUIs and logs have always seen from us.
    if (insufficient_material(b)) result_line("1/2-1/2 {insuffisiant material}");
    if (engine.lists.count_legal_moves(b) > 0) return;
    if (b.in_check())
        result_line(b.side_to_move == WHITE ? "0-1 {Checkmate}" : "1-0 {Checkmate}");
    else
        result_line("1/2-1/2 {Stalemate}");
}
