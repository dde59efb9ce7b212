// Where a line of text ends, the same for every text the shell reads:
// commands and dialogue answers, the configuration file, test suites and game
// files. A line feed, a carriage return, or the two together end a line, so
// files written on any system split alike; every other byte, NUL included,
// belongs to the line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Blanks between the words of a line.
inline bool is_blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A byte source gives `int get()`, the next byte or EOF at the end, and
// `int peek()`, the next byte without taking it, or EOF when none is at hand
// without waiting.
class line_reader {
  public:
    // Reads the next line into `line`, without its line end. A line longer
    // than `max_length` is split: the rest arrives as the next line. False
    // only at the end of the text with nothing read.
    template <class byte_source>
    bool read_text_line(byte_source& in, std::string& line, size_t max_length = std::string::npos);

  private:
    // The last line ended with a carriage return whose line feed, if it has
    // one, was not yet at hand.
    bool after_cr_ = false;
};

// A file opened for reading, as a byte source. It is read a block at a
// time: a call into the C library for every byte was a tenth of the time of
// a book build. The file's position is then past what was taken.
class file_bytes {
  public:
    explicit file_bytes(FILE* f) : f_(f), block_(FILE_BLOCK_BYTES) {}

    int get() { return next_ < end_ || refill() ? (unsigned char)block_[next_++] : EOF; }
    int peek() { return next_ < end_ || refill() ? (unsigned char)block_[next_] : EOF; }

  private:
    static constexpr size_t FILE_BLOCK_BYTES = 65536;

    FILE* f_;
    std::vector<char> block_;
    size_t next_ = 0, end_ = 0;

    bool refill() {
        end_ = fread(block_.data(), 1, block_.size(), f_);
        next_ = 0;
        return end_ > 0;
    }
};

template <class byte_source>
bool line_reader::read_text_line(byte_source& in, std::string& line, size_t max_length) {
    line.clear();
    int c = in.get();
    if (after_cr_ && c == '\n') c = in.get();
    after_cr_ = false;
    if (c == EOF) return false;
    for (; c != EOF && c != '\n' && c != '\r'; c = in.get()) {
        line += char(c);
        if (line.size() == max_length) return true;
    }
    // A line feed that is already waiting is taken now, so that nothing of
    // this line's end is left to look like input still to come.
    if (c == '\r') {
        if (in.peek() == '\n')
            in.get();
        else
            after_cr_ = true;
    }
    return true;
}
