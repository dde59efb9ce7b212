// The table checks: the index size each material's table has, and the
// header, block index and length a table file must show for it.
#include "egbb/table_check.h"

#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include <filesystem>

// Index sizes the probing code gives each kind of material: the two kings
// (on 462 square pairs, or beside pawns on 24 pawn squares of one half of
// the board), pairs and triples of like pieces, pawn pairs and triples.
constexpr uint32_t KING_PAIRS = 462;
constexpr uint32_t PAWN_HALF = 24;
constexpr uint32_t SQUARES = 64;
constexpr uint32_t LIKE_PAIRS = 2016;
constexpr uint32_t LIKE_TRIPLES = 41664;
constexpr uint32_t PAWN_PAIRS = 576;
constexpr uint32_t OPPOSED_PAWNS = 1152;
constexpr uint32_t PAWN_PAIRS_48 = 1128;
constexpr uint32_t PAWN_TRIPLES = 8648;
constexpr int MAX_MEN_BESIDES_KINGS = 3;

// The compressed layout: a header of ten 32-bit words, the third the number
// of positions a block holds and the ninth where the blocks start, then the
// block index, one word more than there are blocks, each the offset of a
// block and the last the end of the file; the first side's blocks, then the
// second's.
constexpr int HEADER_WORDS = 10;
constexpr int HEADER_BYTES = 4 * HEADER_WORDS;
constexpr int BLOCK_POSITIONS_WORD = 2;
constexpr int FIRST_BLOCK_WORD = 8;
constexpr uint32_t BLOCK_POSITIONS = 16384;
// The probing code reads a block into a buffer of this size.
constexpr uint32_t MAX_BLOCK_BYTES = 65536;
// Offsets are held in signed 32 bits.
constexpr uint64_t MAX_FILE_BYTES = 0x7fffffff;

namespace {

struct shape_size {
    const char* shape;
    uint32_t positions;
};

// Materials by shape: pawns stay 'p', other pieces become 'a', 'b', 'c' in
// order of appearance, a piece of the second side always a new letter.
constexpr shape_size SHAPES[] = {
    {"kak", KING_PAIRS* SQUARES},
    {"kpk", PAWN_HALF* SQUARES* SQUARES},
    {"kakb", KING_PAIRS* SQUARES* SQUARES},
    {"kaak", KING_PAIRS* LIKE_PAIRS},
    {"kabk", KING_PAIRS* SQUARES* SQUARES},
    {"kakp", PAWN_HALF* SQUARES* SQUARES* SQUARES},
    {"kapk", PAWN_HALF* SQUARES* SQUARES* SQUARES},
    {"kppk", PAWN_PAIRS* SQUARES* SQUARES},
    {"kpkp", OPPOSED_PAWNS* SQUARES* SQUARES},
    {"kaaak", KING_PAIRS* LIKE_TRIPLES},
    {"kaabk", KING_PAIRS* LIKE_PAIRS* SQUARES},
    {"kabbk", KING_PAIRS* LIKE_PAIRS* SQUARES},
    {"kabck", KING_PAIRS* SQUARES* SQUARES* SQUARES},
    {"kaakb", KING_PAIRS* LIKE_PAIRS* SQUARES},
    {"kabkc", KING_PAIRS* SQUARES* SQUARES* SQUARES},
    {"kapkb", PAWN_HALF* SQUARES* SQUARES* SQUARES* SQUARES},
    {"kabkp", PAWN_HALF* SQUARES* SQUARES* SQUARES* SQUARES},
    {"kabpk", PAWN_HALF* SQUARES* SQUARES* SQUARES* SQUARES},
    {"kppka", PAWN_PAIRS* SQUARES* SQUARES* SQUARES},
    {"kappk", PAWN_PAIRS* SQUARES* SQUARES* SQUARES},
    {"kapkp", OPPOSED_PAWNS* SQUARES* SQUARES* SQUARES},
    {"kaapk", PAWN_HALF* LIKE_PAIRS* SQUARES* SQUARES},
    {"kaakp", PAWN_HALF* LIKE_PAIRS* SQUARES* SQUARES},
    {"kppkp", PAWN_HALF* PAWN_PAIRS_48* SQUARES* SQUARES},
    {"kpppk", PAWN_TRIPLES* SQUARES* SQUARES},
};

constexpr const char* STRONGEST_FIRST = "qrbnp";

// Strength rank of a man other than a king, or -1.
int rank_of(char man) {
    const char* at = man ? strchr(STRONGEST_FIRST, man) : nullptr;
    return at ? int(at - STRONGEST_FIRST) : -1;
}

// The men of one side after its king, strongest first; false otherwise.
bool read_side(const std::string& name, size_t& at, std::string& men) {
    if (at >= name.size() || name[at] != 'k') return false;
    for (at++; at < name.size() && name[at] != 'k'; at++) {
        int rank = rank_of(name[at]);
        if (rank < 0 || (!men.empty() && rank < rank_of(men.back()))) return false;
        men += name[at];
    }
    return true;
}

// The shape of a name the probing code uses: the stronger side first, as
// many men as it has at least, and at most three men besides the kings.
bool shape_of(const std::string& name, std::string& shape) {
    std::string white, black;
    size_t at = 0;
    if (!read_side(name, at, white) || !read_side(name, at, black) || at != name.size())
        return false;
    if (white.empty() || white.size() < black.size()) return false;
    if (white.size() + black.size() > MAX_MEN_BESIDES_KINGS) return false;
    if (white.size() == black.size() && rank_of(white[0]) > rank_of(black[0])) return false;
    shape = "k";
    char next = 'a';
    for (const std::string* side : {&white, &black}) {
        for (size_t i = 0; i < side->size(); i++) {
            char man = (*side)[i];
            if (man == 'p') {
                shape += 'p';
            } else if (i > 0 && (*side)[i - 1] == man) {
                shape += shape.back(); // like men stand together
            } else {
                shape += next++;
            }
        }
        if (side == &white) shape += 'k';
    }
    return true;
}

bool read_words(FILE* f, uint32_t* words, size_t count) {
    std::vector<unsigned char> bytes(4 * count);
    if (fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) return false;
    for (size_t i = 0; i < count; i++) {
        const unsigned char* b = &bytes[4 * i];
        words[i] =
            uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    return true;
}

std::string compressed_fault(FILE* f, uint64_t size, uint32_t positions) {
    uint32_t header[HEADER_WORDS];
    if (size < HEADER_BYTES || !read_words(f, header, HEADER_WORDS)) return "shorter than a header";
    if (header[BLOCK_POSITIONS_WORD] != BLOCK_POSITIONS) return "not a table in blocks";
    const uint32_t blocks_per_side = 1 + (positions - 1) / BLOCK_POSITIONS;
    const uint32_t offsets = 2 * blocks_per_side + 1;
    if (header[FIRST_BLOCK_WORD] != HEADER_BYTES + 4 * offsets)
        return "its block index does not fit its material";
    std::vector<uint32_t> offset(offsets);
    if (!read_words(f, offset.data(), offsets)) return "its block index is cut short";
    if (offset[0] != header[FIRST_BLOCK_WORD]) return "its first block is misplaced";
    for (uint32_t i = 1; i < offsets; i++) {
        if (offset[i] <= offset[i - 1] || offset[i] - offset[i - 1] > MAX_BLOCK_BYTES)
            return "its block index is damaged";
    }
    if (offset[offsets - 1] != size) return "its length does not match its block index";
    return "";
}

} // namespace

uint32_t table_positions(const std::string& material) {
    std::string shape;
    if (!shape_of(material, shape)) return 0;
    for (const shape_size& s : SHAPES) {
        if (shape == s.shape) return s.positions;
    }
    return 0;
}

std::string table_fault(const std::string& path, const std::string& material, bool compressed) {
    const uint32_t positions = table_positions(material);
    if (positions == 0) return "not the name of a table";
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return "not a file";
    const uint64_t size = std::filesystem::file_size(path, error);
    if (error) return "its length cannot be read";
    if (size > MAX_FILE_BYTES) return "longer than a table can be";
    if (!compressed) {
        return size == 2 * uint64_t(positions) ? "" : "its length does not match its material";
    }
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "it cannot be opened";
    std::string fault = compressed_fault(f, size, positions);
    fclose(f);
    return fault;
}
