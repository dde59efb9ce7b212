// The reference files the tests read, kept in tests/data so that a clone
// with nothing beside it tests itself. A missing, unreadable or short file
// fails the test that reads it with one line naming the file, and the
// reader hands back nothing, so the test has nothing to walk past.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// Positions in perft.epd, each with its counts to depth 4 at least.
constexpr size_t PERFT_POSITIONS = 65;

inline std::string data_path(const std::string& name) {
    return std::string(KORVEL_DATA_DIR) + "/" + name;
}

// The file opened for reading, or null after the failure line.
inline FILE* open_data_file(const std::string& name) {
    const std::string path = data_path(name);
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) ADD_FAILURE() << "missing test data file: " << path;
    return f;
}

// The lines of the file without their line ends: at least `least` of
// them, or none.
inline std::vector<std::string> data_lines(const std::string& name, size_t least) {
    const std::string path = data_path(name);
    std::ifstream in(path);
    if (!in) {
        ADD_FAILURE() << "missing test data file: " << path;
        return {};
    }
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (!l.empty()) lines.push_back(l);
    }
    if (lines.size() < least) {
        ADD_FAILURE() << "short test data file: " << path << " has " << lines.size()
                      << " lines, the tests need " << least;
        return {};
    }
    return lines;
}

struct perft_case {
    std::string fen;
    std::vector<int64_t> counts; // counts[d - 1] for depth d
};

// One line of the perft file: a FEN, then ";Dn count" fields for depths 1
// up. False when a field is not of that form.
inline bool parse_perft_line(const std::string& line, perft_case* c) {
    const size_t semi = line.find(';');
    if (semi == std::string::npos) return false;
    c->fen = line.substr(0, line.find_last_not_of(' ', semi - 1) + 1);
    for (size_t at = semi; at != std::string::npos; at = line.find(';', at + 1)) {
        const std::string depth = "D" + std::to_string(c->counts.size() + 1) + " ";
        if (line.compare(at + 1, depth.size(), depth) != 0) return false;
        char* end = nullptr;
        const long long count = strtoll(line.c_str() + at + 1 + depth.size(), &end, 10);
        if (count < 0 || (*end != '\0' && *end != ' ')) return false;
        c->counts.push_back(count);
    }
    return c->counts.size() >= 4;
}

// Every position of perft.epd with its reference counts, or none.
inline std::vector<perft_case> read_perft_cases() {
    std::vector<perft_case> cases;
    for (const std::string& line : data_lines("perft.epd", PERFT_POSITIONS)) {
        perft_case c;
        if (!parse_perft_line(line, &c)) {
            ADD_FAILURE() << "damaged test data file: " << data_path("perft.epd") << ": " << line;
            return {};
        }
        cases.push_back(c);
    }
    return cases;
}
