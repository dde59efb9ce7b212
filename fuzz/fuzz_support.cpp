#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "shell/command_loop.h"

namespace {

std::string scratch_dir;

void remove_scratch_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_dir, ignored);
}

} // namespace

void fuzz_failure(const char* condition, const char* file, int line) {
    fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    abort();
}

void enter_scratch_dir() {
    char folder[] = "/tmp/korvel-fuzz-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) fuzz_failure("scratch folder", __FILE__, __LINE__);
    scratch_dir = folder;
    atexit(remove_scratch_dir);
    if (!freopen("/dev/null", "w", stdout)) fuzz_failure("quiet output", __FILE__, __LINE__);
}

std::string next_line(const uint8_t* data, size_t size, size_t& at) {
    std::string line;
    while (at < size && line.size() < size_t(LINE_BYTES - 1)) {
        const char c = char(data[at++]);
        if (c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string first_line(const uint8_t* data, size_t size) {
    size_t at = 0;
    return next_line(data, size, at);
}

void write_file(const char* name, const uint8_t* data, size_t size) {
    FILE* f = fopen(name, "wb");
    if (!f) fuzz_failure("file opens for writing", __FILE__, __LINE__);
    if (size > 0 && fwrite(data, 1, size, f) != size)
        fuzz_failure("file written", __FILE__, __LINE__);
    fclose(f);
}
