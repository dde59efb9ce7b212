// The xboard command set and its game bookkeeping.
#pragma once

extern int game_side;   // whose turn it is, as this set last recorded it
extern int engine_side; // the colour the engine plays, -1 after "force"
extern int game_over;

void xboard_command(const char* line);

// Plays a move given in coordinate text (e2e4, e7e8q) on the engine's
// board; 1 when a legal move was made. Also reads UCI move lists.
int parse_and_play_user_move(const char* text);

// Prints the result line(s) of a finished game and sets game_over.
void check_game_result();
