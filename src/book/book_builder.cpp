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

} // namespace

void book_builder::add_book_record(const book_record& r) {
    auto found = slot_of_pair.find(book_pair(r));
    if (found != slot_of_pair.end()) {
        book_record& slot = records[found->second];
        slot.games = add_saturating(slot.games, 1);
        slot.white_wins = add_saturating(slot.white_wins, r.white_wins);
        slot.black_wins = add_saturating(slot.black_wins, r.black_wins);
        slot.draws = add_saturating(slot.draws, r.draws);
        return;
    }
    if (records.size() >= BOOK_CAPACITY) return;
    slot_of_pair.emplace(book_pair(r), uint32_t(records.size()));
    records.push_back(r);
    records.back().games = 1;
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
