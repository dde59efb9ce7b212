// Opening the files the book reads: only regular files, since a directory
// opens for reading on some systems and then reads as empty.
#pragma once

#include <cstdio>

// The open file, or null when the name is missing, cannot be opened or is
// not a regular file. `length` receives the size in bytes when not null.
FILE* open_regular_file(const char* name, const char* mode, long long* length = nullptr);
