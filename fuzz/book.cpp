// The book file reader: any file may be named as the book. It is opened and
// then asked for moves from the start position on, as the search asks it;
// every move it gives must be a legal move of the position.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "board/board.h"
#include "book/book.h"
#include "chess.h"
#include "fuzz_support.h"
#include "movegen/mlist.h"

constexpr const char* BOOK_FILE = "korvel.bin";
constexpr int BOOK_PLIES = 12;
// The book chooses among its moves at random; a fixed seed makes every run repeatable.
constexpr unsigned PICK_SEED = 1;

namespace {

std::unique_ptr<hash> book;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    start_board_target();
    book = std::make_unique<hash>();
    book->file_name = BOOK_FILE;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_file(BOOK_FILE, data, size);
    book->book_close();
    FUZZ_CHECK(book->book_open());
    FUZZ_CHECK(book->book_size == size / BOOK_RECORD_BYTES);
    srand(PICK_SEED);
    target_board->set_position(START_FEN);
    int misses = 0;
    for (int ply = 0; ply < BOOK_PLIES; ply++) {
        target_lists->generate_moves(*target_board, 0);
        move m;
        if (!book->book_pick(*target_board, *target_lists, misses, &m)) break;
        FUZZ_CHECK(generated(m));
        FUZZ_CHECK(target_board->make_move(m));
        FUZZ_CHECK(target_board->board_ok());
    }
    return 0;
}
