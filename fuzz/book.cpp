// The book file reader: any file may be named as the book. It is opened and
// then asked for moves from the start position on, as the search asks it;
// every move it gives must be a legal move of the position.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "board/board.h"
#include "board/key_table.h"
#include "book/book.h"
#include "chess.h"
#include "fuzz_support.h"
#include "movegen/mlist.h"

constexpr const char* BOOK_FILE = "korvel.bin";
constexpr int BOOK_PLIES = 12;
// The book chooses among its moves at random; a fixed seed makes every run repeatable.
constexpr unsigned PICK_SEED = 1;

namespace {

std::unique_ptr<board> b;
std::unique_ptr<mlist> lists;
std::unique_ptr<hash> book;

bool generated(move m) {
    for (int i = lists->first[0]; i < lists->first[1]; i++)
        if (lists->moves[i] == m) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_dir();
    init_key_table();
    b = std::make_unique<board>();
    lists = std::make_unique<mlist>();
    book = std::make_unique<hash>();
    book->file_name = BOOK_FILE;
    lists->first[0] = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_file(BOOK_FILE, data, size);
    book->book_close();
    FUZZ_CHECK(book->book_open());
    FUZZ_CHECK(book->book_size == size / BOOK_RECORD_BYTES);
    srand(PICK_SEED);
    b->set_position(START_FEN);
    int misses = 0;
    for (int ply = 0; ply < BOOK_PLIES; ply++) {
        lists->generate_moves(*b, 0);
        move m;
        if (!book->book_pick(*b, *lists, misses, &m)) break;
        FUZZ_CHECK(generated(m));
        FUZZ_CHECK(b->make_move(m));
        FUZZ_CHECK(b->board_ok());
    }
    return 0;
}
