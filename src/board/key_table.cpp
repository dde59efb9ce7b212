#include "board/key_table.h"

#include <cstdint>

// Knuth's additive lagged-Fibonacci generator (TAOCP vol. 2, 3.2.2, Algorithm A).
constexpr int LAG_WORDS = 55;
constexpr int LAG_J = 54;
constexpr int LAG_K = 23;

constexpr uint32_t SEED[LAG_WORDS] = {
    0x5414d5f4, 0xb3935330, 0xd0773e27, 0xac62a182, 0x5db20c92, 0xc1e618ac, 0xd003926a, 0x171fa3b3,
    0x9ad12101, 0x762172c1, 0xbc5d9dc3, 0x07b72a70, 0x6e5ac890, 0xf7be54d1, 0x0d6332fa, 0x56ba8fbe,
    0xeba585ec, 0x571421c5, 0x96b3c079, 0x12eb9b92, 0xc07c0978, 0x0700c5bd, 0x31a43513, 0x74eba4aa,
    0x4ec55db5, 0x2c91c2e9, 0x208771f6, 0x304ee204, 0x1e004673, 0xf3ac22f9, 0xa8561feb, 0xded13435,
    0xd03e7513, 0xdae66bc2, 0x01c20be1, 0x46638997, 0xfb26ce62, 0x01f87fc3, 0xc0016099, 0x44429270,
    0xb04f4481, 0xf31b8ad7, 0x86dd7a46, 0x03e72091, 0x96a22589, 0x74dcb7d4, 0x12d0fc03, 0x474a16e8,
    0x2ff5717c, 0x54bded92, 0x783a9487, 0xe767978c, 0x3052d5cd, 0x16eca191, 0x8eaf6d15,
};

uint64_t key_table[KEY_TABLE_SIZE];

namespace {

struct lagged_fibonacci {
    uint32_t s[LAG_WORDS];
    int j = LAG_J;
    int k = LAG_K;

    lagged_fibonacci() {
        for (int i = 0; i < LAG_WORDS; i++) s[i] = SEED[i];
    }

    uint32_t next() {
        s[j] += s[k];
        uint32_t out = s[j];
        j = j == 0 ? LAG_WORDS - 1 : j - 1;
        k = k == 0 ? LAG_WORDS - 1 : k - 1;
        return out;
    }
};

bool already_taken(uint64_t value, int accepted) {
    for (int i = 0; i < accepted; i++)
        if (key_table[i] == value) return true;
    return false;
}

} // namespace

void init_key_table() {
    lagged_fibonacci gen;
    int accepted = 0;
    while (accepted < KEY_TABLE_SIZE) {
        uint64_t high = gen.next();
        uint64_t low = gen.next();
        uint64_t value = high << 32 | low;
        if (!already_taken(value, accepted)) key_table[accepted++] = value;
    }
}
