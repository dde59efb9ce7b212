// The UCI command set.
#pragma once

void uci_command(const char* line);
