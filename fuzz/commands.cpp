// Command lines in one command set, as a GUI or a person sends them: built
// once per set, with FUZZ_DIALECT naming it. In the console set the lines
// "xboard" and "uci" switch sets on the way, as at a terminal.
#include <cstddef>
#include <cstdint>

#include "live_engine.h"
#include "shell/command_loop.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    start_live_engine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reset_live_engine(FUZZ_DIALECT);
    run_command_lines(data, size);
    return 0;
}
