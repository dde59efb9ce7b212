#include "book/book.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "book/regular_file.h"

// Records decoded per read while a book is loaded.
constexpr int LOAD_CHUNK_RECORDS = 4096;
constexpr uint32_t KEY_HIGH_MASK = 0xFFFFF;
constexpr int MOVE_SHIFT = 20;
constexpr double PERCENT = 100.0;

namespace {

uint32_t read_u32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t read_u16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
void write_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; i++) p[i] = uint8_t(v >> (8 * i));
}
void write_u16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// Reads up to `count` whole records; a short read keeps what arrived.
void read_records(FILE* f, uint32_t count, std::vector<book_record>& out) {
    static uint8_t chunk[LOAD_CHUNK_RECORDS * BOOK_RECORD_BYTES];
    out.clear();
    out.reserve(count);
    while (out.size() < count) {
        const size_t want = std::min<size_t>(LOAD_CHUNK_RECORDS, count - out.size());
        const size_t got = fread(chunk, BOOK_RECORD_BYTES, want, f);
        for (size_t i = 0; i < got; i++)
            out.push_back(decode_record(chunk + i * BOOK_RECORD_BYTES));
        if (got < want) break;
    }
}

// Sorted by pair; a stable sort keeps equal pairs in file order, and only the
// first of them survives, as a scan of the file from its start would find.
void build_index(std::vector<book_record>& records) {
    auto by_pair = [](const book_record& a, const book_record& b) {
        return book_pair(a) < book_pair(b);
    };
    auto same_pair = [](const book_record& a, const book_record& b) {
        return book_pair(a) == book_pair(b);
    };
    std::stable_sort(records.begin(), records.end(), by_pair);
    records.erase(std::unique(records.begin(), records.end(), same_pair), records.end());
    records.shrink_to_fit();
}

// The list is pseudo-legal, and a damaged or foreign book file may name any
// of its moves, even one that leaves the king attacked.
bool is_legal(board& b, move m) {
    if (!b.make_move(m)) return false;
    b.unmake_move();
    return true;
}

struct candidate {
    move m;
    int weight;
};

} // namespace

uint32_t book_key_low(uint64_t key) {
    return uint32_t(key);
}

uint32_t book_move_key(uint64_t key, int from, int to) {
    return uint32_t(from * 64 + to) << MOVE_SHIFT | (uint32_t(key >> 32) & KEY_HIGH_MASK);
}

void encode_record(const book_record& r, uint8_t (&bytes)[BOOK_RECORD_BYTES]) {
    write_u32(bytes, r.key_low);
    write_u32(bytes + 4, r.move_key);
    write_u16(bytes + 8, r.games);
    write_u16(bytes + 10, r.white_wins);
    write_u16(bytes + 12, r.black_wins);
    write_u16(bytes + 14, r.draws);
}

book_record decode_record(const uint8_t* bytes) {
    return book_record{read_u32(bytes),      read_u32(bytes + 4),  read_u16(bytes + 8),
                       read_u16(bytes + 10), read_u16(bytes + 12), read_u16(bytes + 14)};
}

hash::hash() = default;
hash::~hash() = default;

bool hash::book_open() {
    if (book_loaded) return true;
    long long length = 0;
    FILE* f = open_regular_file(file_name, "rb", &length);
    if (!f) {
        if (!missing_reported)
            printf("Korvel opening database: %s -- not opened\n", file_name ? file_name : "");
        missing_reported = true;
        return false;
    }
    printf("Korvel opening database: %s -- opened\n", file_name);
    // A partial last record is ignored.
    const long long whole = length / BOOK_RECORD_BYTES;
    book_size = whole > UINT32_MAX ? UINT32_MAX : uint32_t(whole);
    printf("Total number of moves: %d\n", int(book_size));
    read_records(f, book_size, index);
    fclose(f);
    build_index(index);
    book_loaded = true;
    return true;
}

void hash::book_close() {
    book_loaded = false;
    book_size = 0;
    std::vector<book_record>().swap(index);
}

bool hash::book_find(book_record& query) const {
    const uint64_t pair = book_pair(query);
    auto it = std::lower_bound(index.begin(), index.end(), pair,
                               [](const book_record& r, uint64_t p) { return book_pair(r) < p; });
    if (it == index.end() || book_pair(*it) != pair) return false;
    query = *it;
    return true;
}

// Each candidate gets a whole percentage of the total weight; the remainder
// of the truncation belongs to nobody, so r runs over the percentages only.
bool hash::book_pick(board& b, const mlist& lists, int& book_misses, move* out) {
    std::vector<candidate> found;
    if (book_open()) {
        for (int i = lists.first[0]; i < lists.first[1]; i++) {
            const move m = lists.moves[i];
            // The four promotions of a pawn share one record; it stands for the queen.
            if ((m.flags & FLAG_PROMOTE) && m.promote != QUEEN) continue;
            book_record r = {book_key_low(b.key), book_move_key(b.key, m.from, m.to), 0, 0, 0, 0};
            if (!book_find(r) || !is_legal(b, m)) continue;
            const int wins = b.side_to_move == WHITE ? r.white_wins : r.black_wins;
            found.push_back({m, wins + r.draws});
        }
    }
    if (found.empty()) {
        book_misses++;
        return false;
    }
    int total = 0;
    for (const candidate& c : found) total += c.weight;
    if (total == 0) return false;
    int sum = 0;
    for (candidate& c : found) {
        c.weight = int(c.weight * PERCENT / total);
        sum += c.weight;
    }
    if (sum <= 0) return false;
    int r = rand() % sum;
    for (const candidate& c : found) {
        r -= c.weight;
        if (r < 0) {
            *out = c.m;
            return true;
        }
    }
    return false;
}
