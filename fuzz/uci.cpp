// Command lines in the UCI set, as a GUI sends them after "uci".
#include <cstddef>
#include <cstdint>

#include "live_engine.h"
#include "shell/command_loop.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    start_live_engine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reset_live_engine(DIALECT_UCI);
    run_command_lines(data, size);
    return 0;
}
