// What the console, xboard and UCI command sets share: the game-level
// operations, the readers of a command's text, and the commands two sets
// spell and handle alike.
#pragma once

// Start position, empty history, cleared table, fresh search state.
void new_game();
// Thinks on the position and plays the best move on the board; false when
// there was no move to play. Prints only the thinking.
bool engine_move();
// Thinks without limit until input arrives; plays nothing.
void analyze();
// Prints the diagram when show_board is set.
void show_position();
// Sets the position from a FEN unless the board's tables could not hold it;
// then the position stays and the reason is returned (nullptr when set).
const char* set_position_checked(const char* fen);

// The text of a command from character `at` on, or "" when the line is shorter.
const char* text_from(const char* line, int at);
// The number read with atoi from character `at`, 0 when the line is shorter.
int number_from(const char* line, int at);

// "post" and "nopost" switch the board and the thinking together.
void run_post(const char* line);
void run_nopost(const char* line);
// "st N": N seconds per move from character 3, so "stop" sets 0.
void run_st(const char* line);
