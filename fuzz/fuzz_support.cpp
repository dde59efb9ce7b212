#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "board/key_table.h"
#include "chess.h"
#include "shell/command_loop.h"
#include "shell/line_reader.h"

namespace {

std::string scratch_dir;

void remove_scratch_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_dir, ignored);
}

} // namespace

std::unique_ptr<board> target_board;
std::unique_ptr<mlist> target_lists;

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
    struct memory_bytes {
        const uint8_t* data;
        size_t size;
        size_t& at;

        int get() { return at < size ? data[at++] : EOF; }
        int peek() const { return at < size ? data[at] : EOF; }
    } in{data, size, at};
    line_reader lines;
    std::string line;
    lines.read_text_line(in, line, LINE_BYTES - 1);
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

void start_board_target() {
    enter_scratch_dir();
    init_key_table();
    target_board = std::make_unique<board>();
    target_lists = std::make_unique<mlist>();
    target_lists->first[0] = 0;
    target_board->set_position(START_FEN);
}

bool generated(move m) {
    target_lists->generate_moves(*target_board, 0);
    for (int i = target_lists->first[0]; i < target_lists->first[1]; i++)
        if (target_lists->moves[i] == m) return true;
    return false;
}
