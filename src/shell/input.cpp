#include "shell/input.h"

#include <cstdio>

#include "shell/line_reader.h"
#include "shell/platform.h"

constexpr int INPUT_BUFFER_BYTES = 65536;

namespace {

char buffer[INPUT_BUFFER_BYTES];
long buffer_length = 0;
long buffer_pos = 0;
line_reader input_lines;

bool fill_buffer() {
    buffer_pos = 0;
    buffer_length = read_stdin(buffer, sizeof buffer);
    return buffer_length > 0;
}

// Standard input as a byte source: peeking never waits for the pipe.
struct stdin_bytes {
    int get() {
        if (buffer_pos >= buffer_length && !fill_buffer()) return EOF;
        return (unsigned char)buffer[buffer_pos++];
    }
    int peek() { return buffer_pos < buffer_length ? (unsigned char)buffer[buffer_pos] : EOF; }
};

} // namespace

bool input_buffered() {
    return buffer_pos < buffer_length;
}

bool read_input_line(std::string& line, size_t max_length) {
    stdin_bytes in;
    return input_lines.read_text_line(in, line, max_length);
}
