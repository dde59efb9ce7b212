// The adapter for the outside endgame bitbase library.
#pragma once

// Loads the library at start-up; true when it can be probed.
bool egbb_load();
