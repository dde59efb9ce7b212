// What the probe needs to know of the set-up in tables.cpp.
#pragma once

// True when the last load_egbb_5men set up tables to probe. The probing code
// is shared by every copy of this library a process holds, so its own state
// does not tell.
bool egbb_tables_ready();
