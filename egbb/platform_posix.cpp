#include "egbb/platform.h"

#include <system_error>

namespace fs = std::filesystem;

// Debian's gaviotatb package.
constexpr const char* DEBIAN_TABLES_DIR = EGBB_DEBIAN_TABLES_DIR;

fs::path shipped_tables_folder() {
    return DEBIAN_TABLES_DIR;
}

// A file system without symbolic links may still allow hard ones.
bool place_table(const fs::path& file, const fs::path& place) {
    std::error_code error;
    fs::create_symlink(file, place, error);
    if (error) fs::create_hard_link(file, place, error);
    return !error;
}
