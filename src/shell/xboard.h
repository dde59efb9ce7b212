// The xboard command set and its game bookkeeping.
#pragma once

extern int game_side;   // whose turn it is, as this set last recorded it
extern int engine_side; // the colour the engine plays, -1 after "force"
extern int game_over;

void xboard_command(const char* line);
