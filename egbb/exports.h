// The entry points a bitbase library exports, with the meaning given in
// the engine's shell/egbb_interface.h. The library is built with hidden symbols: these two are the
// only names it shows.
#pragma once

#define EGBB_EXPORT extern "C" __attribute__((visibility("default")))

EGBB_EXPORT int load_egbb_5men(const char* path, int cache_bytes, int option);
EGBB_EXPORT int probe_egbb_5men(int player, int white_king, int black_king, int piece1, int square1,
                                int piece2, int square2, int piece3, int square3);
