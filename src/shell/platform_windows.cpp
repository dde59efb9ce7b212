#include "shell/platform.h"

#include <windows.h>

#include <cstdio>

constexpr int LIBRARY_PATH_BYTES = 512;
// Window size and mouse events: a console engine has no use for them.
constexpr DWORD UNWANTED_CONSOLE_INPUT = ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT;
// What a console read returns when Ctrl-Z starts the line: end of input.
constexpr char CONSOLE_END_OF_INPUT = 0x1a;
// Larger console reads can fail for want of system memory; a typed line is
// shorter anyway.
constexpr DWORD CONSOLE_READ_BYTES = 4096;
// A 64-bit process cannot load a 32-bit library, and 64-bit builds of the
// bitbase library carry their own name.
constexpr bool BUILD_64_BIT = sizeof(void*) == 8;

const char* const EGBB_LIBRARY_FILE = BUILD_64_BIT ? "egbbdll64.dll" : "egbbdll.dll";
const char* const DEFAULT_EGBB_PATH = "c:\\egbb\\";
const char* const EPD_SUITE_FOLDER = "c:\\prog\\epd\\";

namespace {

HANDLE input_handle() {
    static const HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    return handle;
}

// Under a GUI standard input is a pipe (or a file), and GetConsoleMode fails.
bool input_is_console() {
    static const bool console = [] {
        DWORD mode;
        return GetConsoleMode(input_handle(), &mode) != 0;
    }();
    return console;
}

} // namespace

bool stdin_is_terminal() {
    return input_is_console();
}

void prepare_console() {
    DWORD mode;
    if (!GetConsoleMode(input_handle(), &mode)) return;
    SetConsoleMode(input_handle(), mode & ~UNWANTED_CONSOLE_INPUT);
    FlushConsoleInputBuffer(input_handle());
}

// Without a handler of our own Ctrl-C ends the process, as SIGINT does on a
// terminal; this makes the process ignore it.
void ignore_interrupts() {
    SetConsoleCtrlHandler(nullptr, TRUE);
}

// A failed peek (a broken pipe at end of input, or input that is no pipe at
// all, such as a file) counts as input waiting, so the search stops and the
// read that follows finds out what is there.
bool stdin_readable() {
    if (input_is_console()) {
        DWORD events = 0;
        if (!GetNumberOfConsoleInputEvents(input_handle(), &events)) return false;
        return console_key_typed(events);
    }
    DWORD available = 0;
    if (!PeekNamedPipe(input_handle(), nullptr, 0, nullptr, &available, nullptr)) return true;
    return available > 0;
}

long read_stdin(char* buffer, size_t size) {
    DWORD n = 0;
    DWORD wanted = DWORD(size);
    if (input_is_console() && wanted > CONSOLE_READ_BYTES) wanted = CONSOLE_READ_BYTES;
    if (!ReadFile(input_handle(), buffer, wanted, &n, nullptr)) return 0;
    if (input_is_console() && n > 0 && buffer[0] == CONSOLE_END_OF_INPUT) return 0;
    return long(n);
}

// The full path keeps LoadLibraryA from searching the system's folders, and
// lets the library find its own dependencies beside it. A library that cannot
// be loaded must not stop the engine with a system error box.
void* library_open(const char* path) {
    char file[LIBRARY_PATH_BYTES];
    DWORD length = GetFullPathNameA(path, sizeof file, file, nullptr);
    if (length == 0 || length >= sizeof file) return nullptr;
    UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA(file);
    SetErrorMode(old_mode);
    return reinterpret_cast<void*>(library);
}

void* library_symbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void library_close(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

// rename refuses an existing target here; the write-through flag returns
// only once the new name is on the disk.
bool replace_file(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
