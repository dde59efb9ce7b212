// Setting up the Gaviota tables behind load_egbb_5men: which folders are
// searched, which compression scheme is read, and the probing cache.
#include <dirent.h>
#include <gtb-probe.h>

#include <cstdio>
#include <cstring>

#include "egbb/exports.h"

// The Debian package installs one folder per compression scheme below this one.
constexpr const char* DEBIAN_TABLES_DIR = EGBB_DEBIAN_TABLES_DIR;
constexpr int SILENT = 0;
// Share of the cache, in 128ths, kept for win/draw/loss answers; the probes
// here ask for distances to mate, which use the rest.
constexpr int WDL_CACHE_SHARE = 16;
// A smaller cache, or a negative size, is raised to this.
constexpr int MIN_CACHE_BYTES = 1 << 20;

namespace {

struct scheme {
    int code;
    const char* suffix;        // of the table files
    const char* debian_folder; // below DEBIAN_TABLES_DIR; none for uncompressed tables
};

// In order of preference: the probing code reads one scheme at a time, and
// the fourth is the one Gaviota tables are usually shipped in.
constexpr scheme SCHEMES[] = {
    {tb_CP4, ".gtb.cp4", "gtb4"}, {tb_CP3, ".gtb.cp3", "gtb3"},       {tb_CP2, ".gtb.cp2", "gtb2"},
    {tb_CP1, ".gtb.cp1", "gtb1"}, {tb_UNCOMPRESSED, ".gtb", nullptr},
};

// Null until the first load; the probing code keeps pointers into it.
const char** table_paths = nullptr;

bool ends_with(const char* name, const char* suffix) {
    size_t n = strlen(name), s = strlen(suffix);
    return n > s && strcmp(name + n - s, suffix) == 0;
}

bool folder_holds(const char* folder, const char* suffix) {
    DIR* dir = opendir(folder);
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (ends_with(entry->d_name, suffix)) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

const scheme* scheme_in(const char* folder) {
    for (const scheme& s : SCHEMES) {
        if (folder_holds(folder, s.suffix)) return &s;
    }
    return nullptr;
}

void release_tables() {
    if (!table_paths) return;
    tbcache_done();
    tb_done();
    table_paths = tbpaths_done(table_paths);
}

// Unloading the library gives back what the probing code holds.
struct release_at_unload {
    ~release_at_unload() { release_tables(); }
} at_unload;

} // namespace

// The given folder is searched first, so tables a user adds there are used;
// Debian's folder of the same scheme follows and supplies what it lacks. A
// folder without tables leaves Debian's in the preferred scheme alone. The
// option word is accepted for the calling convention: these tables have one mode.
int load_egbb_5men(const char* path, int cache_bytes, int) {
    release_tables();
    const scheme* chosen = path ? scheme_in(path) : nullptr;
    table_paths = tbpaths_init();
    if (chosen) {
        table_paths = tbpaths_add(table_paths, path);
    } else {
        chosen = &SCHEMES[0];
    }
    if (chosen->debian_folder) {
        char debian[tb_MAXPATHLEN];
        snprintf(debian, sizeof debian, "%s/%s", DEBIAN_TABLES_DIR, chosen->debian_folder);
        table_paths = tbpaths_add(table_paths, debian);
    }
    tb_init(SILENT, chosen->code, table_paths);
    tbcache_init(size_t(cache_bytes > MIN_CACHE_BYTES ? cache_bytes : MIN_CACHE_BYTES),
                 WDL_CACHE_SHARE);
    return tb_availability() != 0;
}
