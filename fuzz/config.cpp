// The configuration file: whatever korvel.cfg holds, the values read stay
// inside the ranges the rest of the engine relies on.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "shell/config.h"

constexpr int MIN_HASH_MB = 2;
constexpr int MAX_HASH_MB = 998;
constexpr int MB = 1048576;
constexpr int SMALL_CACHE_MB = 4, LARGE_CACHE_MB = 16; // the two cache sizes accepted

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_dir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_file("korvel.cfg", data, size);
    read_config();
    FUZZ_CHECK(hash_size_mb >= MIN_HASH_MB && hash_size_mb <= MAX_HASH_MB);
    FUZZ_CHECK(egbb_cache_bytes == SMALL_CACHE_MB * MB || egbb_cache_bytes == LARGE_CACHE_MB * MB);
    FUZZ_CHECK(memchr(book_file_name, '\0', CONFIG_TEXT_BYTES) != nullptr);
    FUZZ_CHECK(memchr(egbb_path, '\0', CONFIG_TEXT_BYTES) != nullptr);
    return 0;
}
