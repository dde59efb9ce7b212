#include "shell/egbb.h"

#include <cstdio>

// No bitbase library is supported on this build yet.
bool egbb_load() {
    printf("EgbbProbe not Loaded!\n");
    return false;
}
