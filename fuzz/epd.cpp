// EPD records as the console's "epd" command runs them: the input is the
// suite file; each record's position is set, its operations read, and a
// search (cut short at its first poll) chooses the move that is judged.
// What the file can upset is checked: every line is read, once, and the
// summary counts them all, with no more solved than searched.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include <sys/stat.h>

#include "chess.h"
#include "fuzz_support.h"
#include "live_engine.h"
#include "shell/command_loop.h"
#include "shell/epd_runner.h"
#include "shell/startup.h"

// Every record is searched, so the suite is kept to a few lines.
constexpr int MAX_RECORDS = 4;
constexpr int SUITE = 1;
constexpr mode_t FOLDER_MODE = 0700;
constexpr const char* RUN_OUTPUT = "epd.out";
constexpr const char* SUMMARY = "total test: %d solved: %d";

namespace {

// Where the line that starts at `at` ends, past its line end: a line feed, a
// carriage return, or the two together end a line, as the runner splits them.
size_t next_line_start(const uint8_t* data, size_t size, size_t at) {
    while (at < size && data[at] != '\n' && data[at] != '\r') at++;
    if (at + 1 < size && data[at] == '\r' && data[at + 1] == '\n') at++;
    return at < size ? at + 1 : at;
}

// Lines as the runner counts them, a last one without a line end included.
int lines_in(const uint8_t* data, size_t size) {
    int lines = 0;
    for (size_t at = 0; at < size; at = next_line_start(data, size, at)) lines++;
    return lines;
}

// The last line the run printed.
std::string run_with_output_kept() {
    fflush(stdout);
    if (!freopen(RUN_OUTPUT, "w", stdout)) fuzz_failure("run output", __FILE__, __LINE__);
    epd_run();
    fflush(stdout);
    if (!freopen("/dev/null", "w", stdout)) fuzz_failure("quiet output", __FILE__, __LINE__);
    std::ifstream in(RUN_OUTPUT);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return last;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    start_live_engine();
    mkdir("epd", FOLDER_MODE);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t end = 0;
    for (int lines = 0; lines < MAX_RECORDS && end < size; lines++)
        end = next_line_start(data, size, end);
    const char* path = epd_suite_path(SUITE);
    write_file(path, data, end);
    reset_live_engine(DIALECT_CONSOLE);
    book_enabled = 0;
    const int lines = lines_in(data, end);
    FUZZ_CHECK(epd_read(path) == lines);

    const std::string summary = run_with_output_kept();
    int total = -1, solved = -1;
    FUZZ_CHECK(sscanf(summary.c_str(), SUMMARY, &total, &solved) == 2);
    FUZZ_CHECK(total == lines && 0 <= solved && solved <= total);
    FUZZ_CHECK(engine.pos.board_ok());
    return 0;
}
