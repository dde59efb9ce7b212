// Setting up the Gaviota tables behind load_egbb_5men: which table files
// are used, which compression scheme is read, and the probing cache.
//
// The probing code opens whatever file of the right name it finds in its
// folders and trusts it. So it is never given the user's folder: every
// table file found is checked first, and the probing code gets a private
// folder of links to the files that passed, the user's before the shipped
// ones.
#include <gtb-probe.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <system_error>

#include "egbb/exports.h"
#include "egbb/platform.h"
#include "egbb/table_check.h"
#include "egbb/tables.h"

namespace fs = std::filesystem;

constexpr int SILENT = 0;
// Share of the cache, in 128ths, kept for win/draw/loss answers; the probes
// here ask for distances to mate, which use the rest.
constexpr int WDL_CACHE_SHARE = 16;
// A smaller cache, or a negative size, is raised to this.
constexpr int MIN_CACHE_BYTES = 1 << 20;
constexpr const char* LINK_FOLDER_PREFIX = "korvel-egbb-";
constexpr int LINK_FOLDER_TRIES = 100;
constexpr const char* TABLE_SUFFIX = ".gtb";

namespace {

struct scheme {
    int code;
    const char* suffix;         // of the table files
    const char* shipped_folder; // below shipped_tables_folder(); none for uncompressed tables
};

// In order of preference: the probing code reads one scheme at a time, and
// the fourth is the one Gaviota tables are usually shipped in. Huffman-coded
// tables are left out: the probing code takes the length of each of their
// blocks from the block itself, so a damaged one overruns its buffers, and
// no check short of decoding the whole file can tell.
constexpr scheme SCHEMES[] = {
    {tb_CP4, ".gtb.cp4", "gtb4"},
    {tb_CP3, ".gtb.cp3", "gtb3"},
    {tb_CP2, ".gtb.cp2", "gtb2"},
    {tb_UNCOMPRESSED, TABLE_SUFFIX, nullptr},
};
constexpr int SCHEME_COUNT = int(sizeof SCHEMES / sizeof SCHEMES[0]);

// The tables that passed, by material: file paths, one map per scheme.
using table_files = std::map<std::string, fs::path>;

// Null until the first load; the probing code keeps pointers into it.
const char** table_paths = nullptr;
fs::path link_folder; // empty when there is none
bool tables_ready = false;

bool ends_with(const std::string& name, const std::string& suffix) {
    return name.size() > suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The scheme a file name belongs to, or -1; `other` is set for the name of a
// table in a scheme not read here.
int scheme_of(const std::string& name, bool* other) {
    for (int s = 0; s < SCHEME_COUNT; s++) {
        if (ends_with(name, SCHEMES[s].suffix)) return s;
    }
    const size_t dot = name.rfind(std::string(TABLE_SUFFIX) + ".cp");
    *other = dot != std::string::npos && dot > 0;
    return -1;
}

void report_skipped(const fs::path& file, const std::string& reason) {
    fprintf(stderr, "bitbase table %s skipped: %s\n", file.string().c_str(), reason.c_str());
}

// Every table file of the folder that passes its check, by scheme; the
// others are reported and left out.
void collect_tables(const fs::path& folder, table_files (&found)[SCHEME_COUNT]) {
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    if (error) return;
    for (fs::directory_iterator it(absolute, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path& file = it->path();
        const std::string name = file.filename().string();
        bool other = false;
        const int s = scheme_of(name, &other);
        if (s < 0) {
            if (other) report_skipped(file, "this compression scheme is not read");
            continue;
        }
        const std::string material = name.substr(0, name.size() - strlen(SCHEMES[s].suffix));
        const std::string fault =
            table_fault(file.string(), material, SCHEMES[s].code != tb_UNCOMPRESSED);
        if (fault.empty()) {
            found[s][material] = file;
        } else {
            report_skipped(file, fault);
        }
    }
}

// The scheme in which the folder holds the most tables that passed; a tie
// goes to the preferred scheme. -1 when it holds none.
int scheme_with_most(const table_files (&found)[SCHEME_COUNT]) {
    int best = -1;
    size_t most = 0;
    for (int s = 0; s < SCHEME_COUNT; s++) {
        if (found[s].size() > most) best = s, most = found[s].size();
    }
    return best;
}

// A new folder of the system's temporary files, empty on failure.
fs::path make_link_folder() {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) return {};
    std::random_device seed;
    std::mt19937 random(seed());
    for (int i = 0; i < LINK_FOLDER_TRIES; i++) {
        fs::path folder = base / (LINK_FOLDER_PREFIX + std::to_string(random()));
        if (fs::create_directory(folder, error)) return folder;
        if (error) return {};
    }
    return {};
}

// Puts each file into the folder as `material + suffix`. False when none
// could be placed.
bool link_tables(const fs::path& folder, const table_files& tables, const char* suffix) {
    bool any = false;
    for (const auto& [material, file] : tables) {
        if (!place_table(file, folder / (material + suffix))) {
            report_skipped(file, "no link to it could be made in " + folder.string());
        } else {
            any = true;
        }
    }
    return any;
}

void release_tables() {
    tables_ready = false;
    if (table_paths) {
        tbcache_done();
        tb_done();
        table_paths = tbpaths_done(table_paths);
    }
    if (!link_folder.empty()) {
        std::error_code error;
        fs::remove_all(link_folder, error);
        link_folder.clear();
    }
}

// Unloading the library gives back what the probing code holds.
struct release_at_unload {
    ~release_at_unload() { release_tables(); }
} at_unload;

} // namespace

// The given folder's tables are used first, so tables a user adds there are
// used; the shipped folder of the same scheme supplies what it lacks. The
// option word is accepted for the calling convention: these tables have one
// mode.
int load_egbb_5men(const char* path, int cache_bytes, int) {
    release_tables();
    table_files user[SCHEME_COUNT], shipped[SCHEME_COUNT];
    if (path && *path) collect_tables(path, user);
    const fs::path shipped_base = shipped_tables_folder();
    for (int s = 0; s < SCHEME_COUNT; s++) {
        if (SCHEMES[s].shipped_folder && !shipped_base.empty())
            collect_tables(shipped_base / SCHEMES[s].shipped_folder, shipped);
    }
    // The user's tables choose the scheme; the shipped ones choose only when
    // the user's folder has none that pass.
    int chosen = scheme_with_most(user);
    if (chosen < 0) chosen = scheme_with_most(shipped);
    if (chosen < 0) {
        fprintf(stderr, "bitbase tables: none could be loaded from %s or %s\n", path ? path : "",
                shipped_base.string().c_str());
        return 0;
    }
    table_files tables = user[chosen];
    tables.insert(shipped[chosen].begin(), shipped[chosen].end()); // the user's stay
    link_folder = make_link_folder();
    if (link_folder.empty() || !link_tables(link_folder, tables, SCHEMES[chosen].suffix)) {
        fprintf(stderr, "bitbase tables: no folder of links to them could be made\n");
        release_tables();
        return 0;
    }
    table_paths = tbpaths_add(tbpaths_init(), link_folder.string().c_str());
    tb_init(SILENT, SCHEMES[chosen].code, table_paths);
    tbcache_init(size_t(cache_bytes > MIN_CACHE_BYTES ? cache_bytes : MIN_CACHE_BYTES),
                 WDL_CACHE_SHARE);
    tables_ready = tb_availability() != 0;
    return tables_ready;
}

bool egbb_tables_ready() {
    return tables_ready;
}
