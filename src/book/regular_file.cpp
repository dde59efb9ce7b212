#include "book/regular_file.h"

#include <sys/stat.h>

FILE* open_regular_file(const char* name, const char* mode, long long* length) {
    if (!name) return nullptr;
    FILE* f = fopen(name, mode);
    if (!f) return nullptr;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        fclose(f);
        return nullptr;
    }
    if (length) *length = st.st_size;
    return f;
}
