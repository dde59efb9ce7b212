// Reads the shared perft reference file: a FEN, then ";Dn count" fields.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

struct perft_case {
    std::string fen;
    std::vector<int64_t> counts; // counts[d - 1] for depth d
};

inline std::vector<perft_case> read_perft_cases(const std::string& path) {
    std::vector<perft_case> cases;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t semi = line.find(';');
        if (semi == std::string::npos) continue;
        perft_case c;
        c.fen = line.substr(0, semi);
        while (!c.fen.empty() && c.fen.back() == ' ') c.fen.pop_back();
        for (size_t at = semi; at != std::string::npos; at = line.find(';', at + 1)) {
            size_t space = line.find(' ', at);
            c.counts.push_back(std::stoll(line.substr(space + 1)));
        }
        cases.push_back(c);
    }
    return cases;
}
