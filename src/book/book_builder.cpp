#include "book/book_builder.h"

#include <cstdio>

void book_builder::add_book_record(const book_record& r) {
    auto found = slot_of_pair.find(book_pair(r));
    if (found != slot_of_pair.end()) {
        // 16-bit counters wrap, as they do in the file.
        book_record& slot = records[found->second];
        slot.games = uint16_t(slot.games + 1);
        slot.white_wins = uint16_t(slot.white_wins + r.white_wins);
        slot.black_wins = uint16_t(slot.black_wins + r.black_wins);
        slot.draws = uint16_t(slot.draws + r.draws);
        return;
    }
    if (records.size() >= BOOK_CAPACITY) return;
    slot_of_pair.emplace(book_pair(r), uint32_t(records.size()));
    records.push_back(r);
    records.back().games = 1;
}

int book_builder::write_book(const char* name) const {
    FILE* f = fopen(name, "wb");
    if (!f) {
        // No blank before "for": the message has always read this way.
        printf("error opening file \"%s\"for writing.\n", name);
        return 0;
    }
    bool written = true;
    for (const book_record& r : records) {
        uint8_t bytes[BOOK_RECORD_BYTES];
        encode_record(r, bytes);
        if (fwrite(bytes, BOOK_RECORD_BYTES, 1, f) != 1) {
            written = false;
            break;
        }
    }
    if (fclose(f) != 0) written = false;
    if (!written) {
        printf("error writing file \"%s\".\n", name);
        return 0;
    }
    return int(records.size());
}
