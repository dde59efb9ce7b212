// The UCI command set.
#pragma once

void uci_command(const char* line);
// The "go" handler: limits from the line, a search, then "bestmove".
void uci_go(const char* line);
