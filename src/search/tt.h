// Placeholder until the transposition table lands.
#pragma once
void tt_allocate(int megabytes);
void tt_clear();
