// Standard input read through the program's own buffer, so that the input
// test sees both bytes waiting in the pipe and bytes already read in.
#pragma once

#include <cstddef>
#include <string>

// Reads one line of standard input into `line`, without its line end, split
// after `max_length` characters: the rest arrives as the next line. False
// only at end of input with nothing read.
bool read_input_line(std::string& line, size_t max_length);
// Characters already read from standard input and not yet taken as lines.
bool input_buffered();
