// The millisecond clock: perft times its walk with it, and the search its
// budget.
#pragma once

// Wall-clock milliseconds from a steady clock; only differences are used.
double now_ms();
