// What the bitbase library does differently on each system: where the tables
// shipped for it lie, and how a table file is put into the probing code's
// private folder. The build compiles exactly one file behind this header.
#pragma once

#include <filesystem>

// The folder below which the shipped tables lie, one folder per compression
// scheme.
std::filesystem::path shipped_tables_folder();

// Makes `place` name the table `file`, without special rights; false when it
// cannot.
bool place_table(const std::filesystem::path& file, const std::filesystem::path& place);
