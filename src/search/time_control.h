// The millisecond clock the search measures its budget with.
#pragma once

// Wall-clock milliseconds from a steady clock; only differences are used.
double now_ms();
