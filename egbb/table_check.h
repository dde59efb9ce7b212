// What a Gaviota table file must be before the probing code may open it.
// The probing code trusts every file it finds: an empty one, a short one or
// one whose block index points past its end makes it read through a null
// pointer or past its buffers. These checks cover what it reads when the
// tables are set up and every length it takes from the file later.
#pragma once

#include <cstdint>
#include <string>

// Positions per side to move in the table of the material named as the
// probing code names it ("kqk", "krpkp": the white men, then the black, each
// king first and the others strongest first), or 0 for any other name.
uint32_t table_positions(const std::string& material);

// Empty when the file at `path` can serve as the table of `material`, in
// the block-compressed form or uncompressed; otherwise why it cannot.
std::string table_fault(const std::string& path, const std::string& material, bool compressed);
