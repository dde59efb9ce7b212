// The whole engine as the command loop runs it, for the fuzz targets that
// feed it command lines: started once, put back to a new game before every
// input, with every search kept short.
#pragma once

#include <cstddef>
#include <cstdint>

// Runs the engine's start-up in the scratch folder, with the smallest
// transposition table; every search then ends at its first look at the input
// (timed searches) or at the depth limit.
void start_live_engine();

// A new game in the given dialect with the start-up settings, but a shallow
// depth limit that every later line keeps.
void reset_live_engine(int dialect);

// Runs each line of the input through the active command set, as the command
// loop does, skipping the lines that would end the process or wait for more
// input; at most a few lines per input, so that every run stays short.
void run_command_lines(const uint8_t* data, size_t size);
