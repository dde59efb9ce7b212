// The console command set.
#pragma once

void console_command(const char* line);
