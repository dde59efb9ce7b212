// EPD records as the console's "epd" command runs them: the input is the
// suite file; each record's position is set, its operations read, and a
// search (cut short at its first poll) chooses the move that is judged.
#include <cstddef>
#include <cstdint>

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

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    start_live_engine();
    mkdir("epd", FOLDER_MODE);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t end = 0;
    for (int lines = 0; lines < MAX_RECORDS && end < size; end++)
        if (data[end] == '\n') lines++;
    const char* path = epd_suite_path(SUITE);
    write_file(path, data, end);
    reset_live_engine(DIALECT_CONSOLE);
    book_enabled = 0;
    FUZZ_CHECK(epd_read(path) >= 0);
    epd_run();
    FUZZ_CHECK(engine.pos.board_ok());
    return 0;
}
