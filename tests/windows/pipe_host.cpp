// Starts a Windows engine the way a Windows GUI does, with standard input and
// output on pipes made by CreatePipe, and relays its own standard input to the
// engine and the engine's output back. Under wine the pipes a Linux program
// hands down fail PeekNamedPipe; these do not.
//
//   pipe_host.exe <engine.exe>
//
// The engine's line ends (CR LF) are relayed as LF, as a GUI reads lines. The
// host exits with the engine's exit status once the engine has closed its
// output and ended; when that status is not 0 it says so on its standard
// error, so that a test can tell an engine that ended badly from a host
// that wine never started.
#include <windows.h>

#include <cstdio>
#include <cstring>

constexpr DWORD RELAY_BYTES = 65536;
constexpr int COMMAND_LINE_BYTES = 1024;
constexpr DWORD FAILED_TO_START = 127;

namespace {

HANDLE to_engine = nullptr;

bool write_all(HANDLE h, const char* data, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(h, data, size, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

// Our standard input to the engine; at its end the engine's input is closed,
// so the engine sees the end of input as it would under a GUI that quits.
DWORD WINAPI relay_input(void*) {
    static char buffer[RELAY_BYTES];
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD n = 0;
    while (ReadFile(in, buffer, sizeof buffer, &n, nullptr) && n > 0)
        if (!write_all(to_engine, buffer, n)) break;
    CloseHandle(to_engine);
    return 0;
}

// The engine's output to ours, without the CR of each line end.
void relay_output(HANDLE from_engine) {
    static char buffer[RELAY_BYTES];
    static char relayed[RELAY_BYTES + 1];
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    bool pending_cr = false;
    DWORD n = 0;
    while (ReadFile(from_engine, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        DWORD kept = 0;
        for (DWORD i = 0; i < n; i++) {
            if (pending_cr && buffer[i] != '\n') relayed[kept++] = '\r';
            pending_cr = buffer[i] == '\r';
            if (!pending_cr) relayed[kept++] = buffer[i];
        }
        if (!write_all(out, relayed, kept)) break;
    }
    if (pending_cr) write_all(out, "\r", 1);
}

bool inheritable_pipe(HANDLE* read_end, HANDLE* write_end, HANDLE* ours) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    if (!CreatePipe(read_end, write_end, &sa, 0)) return false;
    return SetHandleInformation(*ours, HANDLE_FLAG_INHERIT, 0) != 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: pipe_host <engine.exe>\n");
        return 2;
    }
    // xboard interrupts its engines; the engine decides about that itself.
    SetConsoleCtrlHandler(nullptr, TRUE);

    HANDLE engine_in = nullptr, engine_out = nullptr, from_engine = nullptr;
    if (!inheritable_pipe(&engine_in, &to_engine, &to_engine) ||
        !inheritable_pipe(&from_engine, &engine_out, &from_engine)) {
        fprintf(stderr, "pipe_host: CreatePipe failed (%lu)\n", GetLastError());
        return FAILED_TO_START;
    }

    // The engine ends with the host, however the host ends.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    memset(&limits, 0, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job)
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = engine_in;
    si.hStdOutput = engine_out;
    si.hStdError = engine_out;
    PROCESS_INFORMATION pi;
    char command[COMMAND_LINE_BYTES];
    snprintf(command, sizeof command, "\"%s\"", argv[1]);
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        fprintf(stderr, "pipe_host: cannot start %s (%lu)\n", argv[1], GetLastError());
        return FAILED_TO_START;
    }
    if (job) AssignProcessToJobObject(job, pi.hProcess);
    // Only the engine may hold its ends, so that each side sees the other end.
    CloseHandle(engine_in);
    CloseHandle(engine_out);

    HANDLE input_thread = CreateThread(nullptr, 0, relay_input, nullptr, 0, nullptr);
    if (!input_thread) return FAILED_TO_START;
    relay_output(from_engine);

    DWORD status = FAILED_TO_START;
    if (WaitForSingleObject(pi.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(pi.hProcess, &status))
        fprintf(stderr, "pipe_host: the engine's end could not be seen (%lu)\n", GetLastError());
    else if (status != 0)
        // A status the engine never gives, such as 0xC0000005, is the system's.
        fprintf(stderr, "pipe_host: the engine's process ended with status %lu (0x%08lX)\n", status,
                status);
    // The input thread may still wait on our standard input: end it with us.
    ExitProcess(status);
}
