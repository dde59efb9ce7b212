// The configuration values read from korvel.cfg at start-up.
#pragma once

constexpr int CONFIG_TEXT_BYTES = 128;

extern char book_file_name[CONFIG_TEXT_BYTES];
extern int hash_size_mb;
// Directory prefix of the bitbase library, joined by plain concatenation,
// so it must end with the path separator.
extern char egbb_path[CONFIG_TEXT_BYTES];
extern int egbb_cache_bytes;
extern bool egbb_loaded;

// Sets the defaults, then reads korvel.cfg from the working directory.
void read_config();
