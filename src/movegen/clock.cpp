#include "movegen/clock.h"

#include <chrono>

double now_ms() {
    using namespace std::chrono;
    return double(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
