// Standard input read through the program's own buffer, so that the input
// test sees both bytes waiting in the pipe and bytes already read in.
#pragma once

// Reads one line into `line` (at most size - 1 characters, without its line
// feed or carriage return). A longer line is split: the rest arrives as the
// next line. False only at end of input with nothing read.
bool read_line(char* line, int size);
// Characters already read from standard input and not yet taken as lines.
bool input_buffered();
