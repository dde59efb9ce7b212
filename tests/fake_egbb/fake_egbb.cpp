#include "fake_egbb/fake_egbb.h"

#include <cstdarg>
#include <cstdio>

#include "egbb/exports.h"

namespace {

fake_egbb_record record;

// The logging form, for the end-to-end tests, which cannot look into the
// engine's memory: every call is appended to a file in the working folder.
void log_call(const char* format, ...) {
#ifdef FAKE_EGBB_LOG
    FILE* f = fopen(FAKE_LOG_FILE, "ab");
    if (!f) return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fclose(f);
#else
    (void)format;
#endif
}

} // namespace

EGBB_EXPORT fake_egbb_record* fake_egbb_state() {
    return &record;
}

#ifndef FAKE_EGBB_WITHOUT_LOAD
int load_egbb_5men(const char* path, int cache_bytes, int option) {
    record.load_calls++;
    snprintf(record.load_path, sizeof record.load_path, "%s", path);
    record.load_cache_bytes = cache_bytes;
    record.load_option = option;
    log_call("load %s %d %d\n", path, cache_bytes, option);
    return 1;
}
#endif

#ifndef FAKE_EGBB_WITHOUT_PROBE
int probe_egbb_5men(int player, int white_king, int black_king, int piece1, int square1, int piece2,
                    int square2, int piece3, int square3) {
    record.probe_calls++;
    int arguments[PROBE_ARGUMENTS] = {player, white_king, black_king, piece1, square1,
                                      piece2, square2,    piece3,     square3};
    for (int i = 0; i < PROBE_ARGUMENTS; i++) record.probe_arguments[i] = arguments[i];
    log_call("probe %d %d %d %d %d %d %d %d %d\n", player, white_king, black_king, piece1, square1,
             piece2, square2, piece3, square3);
    return record.answer;
}
#endif
