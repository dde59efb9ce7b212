#include "shell/input.h"

#include "shell/platform.h"

constexpr int INPUT_BUFFER_BYTES = 65536;

namespace {

char buffer[INPUT_BUFFER_BYTES];
long buffer_length = 0;
long buffer_pos = 0;

bool fill_buffer() {
    buffer_pos = 0;
    buffer_length = read_stdin(buffer, sizeof buffer);
    return buffer_length > 0;
}

} // namespace

bool input_buffered() {
    return buffer_pos < buffer_length;
}

bool read_line(char* line, int size) {
    int n = 0;
    bool got_any = false;
    while (n < size - 1) {
        if (buffer_pos >= buffer_length && !fill_buffer()) break;
        got_any = true;
        char c = buffer[buffer_pos++];
        if (c == '\n') break;
        line[n++] = c;
    }
    // Text-mode input: a line may end with CR LF.
    if (n > 0 && line[n - 1] == '\r') n--;
    line[n] = '\0';
    return got_any;
}
