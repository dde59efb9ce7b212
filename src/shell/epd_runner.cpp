#include "shell/epd_runner.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "chess.h"
#include "search/tt.h"
#include "shell/line_reader.h"
#include "shell/move_text.h"
#include "shell/platform.h"
#include "shell/shared_commands.h"

// Lines read from one suite file; the rest of a longer file is left unread
// and the printed count says how many were taken.
constexpr int MAX_EPD_LINES = 1001;
constexpr double PERCENT = 100.0;

namespace {

// By suite number, 1 first, in the system's suite folder.
constexpr const char* SUITE_FILES[EPD_SUITES] = {
    "mates.epd",  "datanew.epd",  "wacnew.epd", "pawntest.epd", "undermined.epd",
    "silent.epd", "lumo-pos.epd", "tsp3.epd",   "BravEG.epd",
};
constexpr int SUITE_PATH_BYTES = 260;

std::vector<std::string> lines_read;

bool starts_with(const std::string& word, const char* prefix) {
    return word.compare(0, strlen(prefix), prefix) == 0;
}

// An unresolved expected move names no move, so it matches nothing, not
// even the empty result of a position without legal moves.
bool epd_solved(const epd_record& r, epd_mode mode, move played) {
    bool named = false;
    for (int i = 0; i < r.count; i++) named |= r.expected[i] != no_move && r.expected[i] == played;
    return mode == EPD_BEST ? named : !named;
}

// Sets up and searches one record; true when it is solved. A line without a
// position, or with one the board cannot hold, is not searched.
bool run_record(const std::string& line, int number, epd_mode& mode) {
    size_t at = 0;
    std::string position;
    if (next_field(line, at, position, POSITION_BLANKS) == 0) return false;
    printf("%s <%d>\n", position.c_str(), number);
    if (const char* problem = set_position_checked(position.c_str())) {
        printf("illegal position: %s\n", problem);
        return false;
    }
    const epd_record r = read_operations(engine.pos, line, at, mode);
    engine.pos.print();

    engine.srch.reset_search();
    tt_clear();
    engine.srch.search_mode = MODE_FIXED_TIME;
    engine.srch.think();

    const bool solved = epd_solved(r, mode, final_move);
    printf(solved ? "solved\n" : "not solved\n");
    return solved;
}

} // namespace

const char* epd_suite_path(int n) {
    static char path[SUITE_PATH_BYTES];
    if (n < 1 || n > EPD_SUITES) return nullptr;
    snprintf(path, sizeof path, "%s%s", EPD_SUITE_FOLDER, SUITE_FILES[n - 1]);
    return path;
}

int epd_read(const char* path) {
    lines_read.clear();
    printf("%s\n", path);
    FILE* f = fopen(path, "r");
    if (!f) {
        printf("cannot open file: %s\n", path);
        return -1;
    }
    file_bytes in{f};
    line_reader lines;
    std::string line;
    while (int(lines_read.size()) < MAX_EPD_LINES && lines.read_text_line(in, line))
        lines_read.push_back(line);
    fclose(f);
    // "where read" is the program's own spelling, kept for whatever reads this output.
    printf("%d lines where read\n", int(lines_read.size()));
    return int(lines_read.size());
}

void epd_run() {
    epd_mode mode = EPD_BEST;
    int solved = 0;
    for (size_t i = 0; i < lines_read.size(); i++)
        solved += run_record(lines_read[i], int(i) + 1, mode);
    const int total = int(lines_read.size());
    // An empty suite solves nothing rather than dividing by zero.
    const double percent = total > 0 ? solved * PERCENT / total : 0.0;
    printf("total test: %d solved: %d percent: %.1f%%\n", total, solved, percent);
}

size_t next_field(const std::string& text, size_t& at, std::string& out, int blanks) {
    out.clear();
    if (text.size() < 2) at = text.size();
    if (at >= text.size()) return 0;
    size_t end = at;
    for (; end < text.size(); end++) {
        if (text[end] != ' ') continue;
        if (blanks == 0) break;
        blanks--;
    }
    out.assign(text, at, end - at);
    at = end + 1;
    return out.size();
}

epd_record read_operations(board& b, const std::string& line, size_t at, epd_mode& mode) {
    epd_record r;
    bool terminated = false;
    std::string word;
    while (at < line.size()) {
        if (next_field(line, at, word, 0) == 0) continue; // a second blank in a row
        if (starts_with(word, "bm")) {
            mode = EPD_BEST;
        } else if (starts_with(word, "am")) {
            mode = EPD_AVOID;
        } else if (!terminated) {
            if (word.back() == ';') {
                word.pop_back();
                terminated = true;
            }
            printf("%s\n", word.c_str());
            move m;
            if (r.count < EPD_MOVES && parse_san(b, word.c_str(), &m)) r.expected[r.count++] = m;
        }
    }
    return r;
}
