#include "shell/command_loop.h"
#include "shell/startup.h"

int main() {
    init_console();
    command_loop();
}
