#include "book/book_builder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// A counter of the file stops at its largest value: wrapping would turn the
// most played moves of a large game collection into the least weighted.
uint16_t add_saturating(uint16_t counter, int amount) {
    return uint16_t(std::min(int(counter) + amount, int(UINT16_MAX)));
}

// The pair's home slot: the high half of a multiplicative hash, since the
// move squares sit in the pair's top bits and the key's random bits below.
size_t home_slot(uint64_t pair, size_t slots) {
    return size_t((pair * 0x9E3779B97F4A7C15ULL) >> 32) & (slots - 1);
}

} // namespace

uint32_t& book_builder::index_slot(uint64_t pair) {
    const size_t mask = slot_of_pair.size() - 1;
    for (size_t i = home_slot(pair, slot_of_pair.size());; i = (i + 1) & mask) {
        const uint32_t s = slot_of_pair[i];
        if (s == 0 || book_pair(records[s - 1]) == pair) return slot_of_pair[i];
    }
}

void book_builder::grow_index() {
    slot_of_pair.assign(slot_of_pair.size() * 2, 0);
    for (uint32_t i = 0; i < records.size(); i++) index_slot(book_pair(records[i])) = i + 1;
}

void book_builder::add_book_record(const book_record& r) {
    uint32_t* s = &index_slot(book_pair(r));
    if (*s != 0) {
        book_record& slot = records[*s - 1];
        slot.games = add_saturating(slot.games, 1);
        slot.white_wins = add_saturating(slot.white_wins, r.white_wins);
        slot.black_wins = add_saturating(slot.black_wins, r.black_wins);
        slot.draws = add_saturating(slot.draws, r.draws);
        return;
    }
    if (records.size() >= BOOK_CAPACITY) return;
    if (2 * (records.size() + 1) > slot_of_pair.size()) {
        grow_index();
        s = &index_slot(book_pair(r));
    }
    records.push_back(r);
    records.back().games = 1;
    *s = uint32_t(records.size());
}

int book_builder::write_book(const char* path, const char* book_name) const {
    FILE* f = fopen(path, "wb");
    if (!f) {
        // No blank before "for": the message has always read this way.
        printf("error opening file \"%s\"for writing. (%s)\n", book_name, strerror(errno));
        return 0;
    }
    int error = 0;
    for (const book_record& r : records) {
        uint8_t bytes[BOOK_RECORD_BYTES];
        encode_record(r, bytes);
        if (fwrite(bytes, BOOK_RECORD_BYTES, 1, f) != 1) {
            error = errno;
            break;
        }
    }
    if (fclose(f) != 0 && error == 0) error = errno;
    if (error != 0) {
        printf("error writing file \"%s\". (%s)\n", book_name, strerror(error));
        remove(path);
        return 0;
    }
    return int(records.size());
}
