#include "shell/config.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/line_reader.h"
#include "shell/platform.h"

constexpr const char* CONFIG_FILE = "korvel.cfg";
constexpr const char* DEFAULT_BOOK = "korvel.bin";
constexpr int DEFAULT_HASH_MB = 16;
constexpr int MIN_HASH_MB = 2;
constexpr int MAX_HASH_MB = 998;
constexpr int DEFAULT_EGBB_CACHE_BYTES = 4 * 1048576;

char book_file_name[CONFIG_TEXT_BYTES];
int hash_size_mb;
char egbb_path[CONFIG_TEXT_BYTES];
int egbb_cache_bytes;
bool egbb_loaded;

namespace {

void set_defaults() {
    snprintf(book_file_name, sizeof book_file_name, "%s", DEFAULT_BOOK);
    snprintf(egbb_path, sizeof egbb_path, "%s", DEFAULT_EGBB_PATH);
    hash_size_mb = DEFAULT_HASH_MB;
    egbb_cache_bytes = DEFAULT_EGBB_CACHE_BYTES;
    egbb_loaded = false;
}

// Exactly one character, whatever it is, separates a key from its value.
// A line that ends at the key has no value and is ignored.
const char* value_of(const char* line, size_t key_length) {
    return strlen(line) > key_length ? line + key_length + 1 : nullptr;
}

// A value that does not fit is refused whole, since a cut path or file name
// would name something else.
bool copy_text_value(char* target, const char* key, const char* value) {
    while (*value == ' ') value++;
    if (strlen(value) >= CONFIG_TEXT_BYTES) {
        fprintf(stderr, "%s: the value of %s is longer than %d characters; the line is ignored\n",
                CONFIG_FILE, key, CONFIG_TEXT_BYTES - 1);
        return false;
    }
    snprintf(target, CONFIG_TEXT_BYTES, "%s", value);
    return true;
}

// Keys are compared over their own length only, in this order: any line
// that begins with a key's letters is that key's line.
void apply_line(const char* line) {
    if (strncmp(line, "openings", 8) == 0) {
        if (const char* value = value_of(line, 8))
            copy_text_value(book_file_name, "openings", value);
    } else if (strncmp(line, "egbb_path", 9) == 0) {
        const char* value = value_of(line, 9);
        if (value && copy_text_value(egbb_path, "egbb_path", value))
            printf("egbb_path = %s\n", egbb_path);
    } else if (strncmp(line, "hash", 4) == 0) {
        const char* value = value_of(line, 4);
        int mb = value ? atoi(value) : 0;
        if (mb >= MIN_HASH_MB && mb <= MAX_HASH_MB) hash_size_mb = mb;
    } else if (strncmp(line, "egbb_cache", 10) == 0) {
        const char* value = value_of(line, 10);
        int mb = value ? atoi(value) : 0;
        if (mb == 4 || mb == 16) egbb_cache_bytes = mb * 1048576;
    }
}

} // namespace

void read_config() {
    set_defaults();
    FILE* f = fopen(CONFIG_FILE, "r");
    if (!f) {
        // Not "not found": xboard takes any engine line holding those words
        // as a failed engine start and gives up on the engine.
        printf("configuration file: \"%s\" -- not present\n", CONFIG_FILE);
        return;
    }
    printf("configuration file: \"%s\" -- found\n", CONFIG_FILE);
    file_bytes in{f};
    line_reader lines;
    std::string line;
    while (lines.read_text_line(in, line)) {
        if (line[0] == '#') continue;
        apply_line(line.c_str());
    }
    fclose(f);
}
