#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/line_reader.h"

namespace {

// Bytes that arrive in pieces, as from a pipe: peek sees only the piece at
// hand, and a read past it takes the next piece.
struct piece_bytes {
    std::vector<std::string> pieces;
    size_t piece = 0, at = 0;

    int get() {
        while (piece < pieces.size() && at == pieces[piece].size()) piece++, at = 0;
        return piece < pieces.size() ? (unsigned char)pieces[piece][at++] : EOF;
    }
    int peek() const {
        return piece < pieces.size() && at < pieces[piece].size() ? (unsigned char)pieces[piece][at]
                                                                  : EOF;
    }
    bool drained() const { return piece == pieces.size() || peek() == EOF; }
};

std::vector<std::string> lines_of(piece_bytes in, size_t max_length = std::string::npos) {
    line_reader reader;
    std::vector<std::string> lines;
    for (std::string l; reader.read_text_line(in, l, max_length);) lines.push_back(l);
    return lines;
}

using lines = std::vector<std::string>;

// The lines read back from a file that holds `text`.
lines lines_of_file(const std::string& text) {
    FILE* f = tmpfile();
    if (!f) return {"(no temporary file)"};
    fputs(text.c_str(), f);
    rewind(f);
    file_bytes in{f};
    line_reader reader;
    lines got;
    for (std::string l; reader.read_text_line(in, l);) got.push_back(l);
    fclose(f);
    return got;
}

} // namespace

TEST(LineReader, EveryLineEndAndNul) {
    EXPECT_EQ(lines_of({{"a\nb\r\nc\rd"}}), (lines{"a", "b", "c", "d"}));
    EXPECT_EQ(lines_of({{"a\r\rb\n\nc\r\n\r\n"}}), (lines{"a", "", "b", "", "c", ""}));
    EXPECT_EQ(lines_of({{"\n"}}), (lines{""}));
    EXPECT_EQ(lines_of({{""}}), lines{});
    EXPECT_EQ(lines_of({{std::string("a\0b\n\0", 5)}}),
              (lines{std::string("a\0b", 3), std::string(1, '\0')}));
    // A long line is split; a line end right after the split gives an empty line.
    EXPECT_EQ(lines_of({{"abcdefg\nhijk\n"}}, 4), (lines{"abcd", "efg", "hijk", ""}));
}

// A line feed already at hand after a carriage return is taken with its
// line, so nothing seems to be waiting; one that comes later is still no line.
TEST(LineReader, CarriageReturnAndLineFeedInTwoPieces) {
    piece_bytes at_hand{{"go\r\n", "stop\n"}};
    line_reader reader;
    std::string l;
    ASSERT_TRUE(reader.read_text_line(at_hand, l));
    EXPECT_EQ(l, "go");
    EXPECT_TRUE(at_hand.drained());
    EXPECT_EQ(lines_of({{"go\r", "\nstop\r", "\r\n"}}), (lines{"go", "stop", ""}));
}

TEST(LineReader, FileBytes) {
    EXPECT_EQ(lines_of_file("x\r\ny\rz\r"), (lines{"x", "y", "z"}));
}

// A file is read in blocks of 64 KiB: a line and a line end may straddle
// two blocks, and the last block is a short one.
TEST(LineReader, FileBytesAcrossBlocks) {
    const std::string first(65535, 'a'), second(70000, 'b');
    EXPECT_EQ(lines_of_file(first + "\r\n" + second + "\nc"), (lines{first, second, "c"}));
}
