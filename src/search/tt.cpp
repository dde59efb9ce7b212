#include "search/tt.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Scores beyond this are mate distances.
constexpr int MATE_BOUND = 3000;
// The size rule computes in 32 bits, which wraps from 4096 MB on.
constexpr int MAX_MEGABYTES = 4095;
constexpr int MAX_DEPTH_STORED = 255;
constexpr int AGE_MASK = 15;

tt_entry* entries = nullptr;
size_t entry_count = 0;
size_t mask = 0;
int age = 0;

int stored_age(uint16_t info) {
    return info & AGE_MASK;
}
int stored_bound(uint16_t info) {
    return (info >> 4) & 15;
}
int stored_depth(uint16_t info) {
    return info >> 8;
}

tt_entry* entry_for(uint64_t key) {
    return entries ? &entries[uint32_t(key) & mask] : nullptr;
}

bool entry_matches(const tt_entry& e, uint64_t key) {
    return e.key_low == uint32_t(key) && e.key_high == uint32_t(key >> 32);
}

// Mate scores are stored as distances from the node so that they stay
// true wherever the position recurs.
int to_stored(int score, int ply) {
    if (score > MATE_BOUND)
        score += ply;
    else if (score < -MATE_BOUND)
        score -= ply;
    if (score > INT16_MAX) return INT16_MAX;
    if (score < -INT16_MAX) return -INT16_MAX;
    return score;
}

int from_stored(int score, int ply) {
    if (score > MATE_BOUND) return score - ply;
    if (score < -MATE_BOUND) return score + ply;
    return score;
}

void release() {
    free(entries);
    entries = nullptr;
    entry_count = 0;
    mask = 0;
}

} // namespace

size_t tt_size_for(int megabytes) {
    if (megabytes < 0) megabytes = 0;
    if (megabytes > MAX_MEGABYTES) megabytes = MAX_MEGABYTES;
    // The power of two just above half the slots that fit is the largest that fits.
    const uint32_t half = (uint32_t(megabytes) << 20) / uint32_t(2 * sizeof(tt_entry));
    size_t count = 1;
    for (uint32_t bits = half; bits != 0; bits >>= 1) count <<= 1;
    return count;
}

void tt_allocate(int megabytes) {
    release();
    const size_t wanted = tt_size_for(megabytes);
    size_t count = wanted;
    while (count > 0 && !(entries = static_cast<tt_entry*>(calloc(count, sizeof(tt_entry)))))
        count /= 2;
    if (count < wanted)
        printf("hash table: not enough memory, using %zu Kb\n", count * sizeof(tt_entry) / 1024);
    if (!entries) return;
    entry_count = count;
    mask = count - 1;
    age = 0;
}

void tt_clear() {
    if (entries) memset(entries, 0, entry_count * sizeof(tt_entry));
    age = 0;
}

// Age 0 belongs to a freshly cleared table (and to analysis, which clears
// instead of ageing); the generations of a game run 1..15 and wrap.
void tt_next_age() {
    age = (age + 1) & AGE_MASK;
    if (age == 0) age = 1;
}

void tt_store(int ply, int score, int depth, uint64_t key, int bound, move best) {
    tt_entry* e = entry_for(key);
    if (!e) return;
    if (depth < 0) depth = 0;
    if (depth > MAX_DEPTH_STORED) depth = MAX_DEPTH_STORED;
    const uint16_t info = uint16_t(depth << 8 | bound << 4 | age);
    // Older generations always yield; within one, deeper and tighter bounds win.
    const bool replace = e->info == 0 || stored_age(e->info) != age ||
                         (depth >= stored_depth(e->info) && bound >= stored_bound(e->info));
    if (replace) {
        e->key_low = uint32_t(key);
        e->key_high = uint32_t(key >> 32);
        e->score = int16_t(to_stored(score, ply));
        e->info = info;
        e->best = best;
    } else if (entry_matches(*e, key) && e->best == no_move) {
        e->best = best;
    }
}

tt_result tt_probe(uint64_t key, int depth, int ply) {
    tt_result r = {false, 0, 0, no_move};
    const tt_entry* e = entry_for(key);
    if (!e || !entry_matches(*e, key)) return r;
    r.best = e->best;
    if (stored_depth(e->info) < depth) return r;
    r.hit = true;
    r.bound = stored_bound(e->info);
    r.score = from_stored(e->score, ply);
    return r;
}

move tt_move(uint64_t key) {
    const tt_entry* e = entry_for(key);
    return e && entry_matches(*e, key) ? e->best : no_move;
}

size_t tt_count() {
    return entry_count;
}
int tt_age() {
    return age;
}
