#include "e2e/engine_process.h"

#include "e2e/engine_command.h"
#include "movegen/clock.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

// How long an engine whose input is closed may take to leave.
constexpr int EXIT_TIMEOUT_MS = 5000;

void remove_tree(const std::string& dir) {
    std::string cmd = "rm -rf '" + dir + "'";
    if (system(cmd.c_str()) != 0) fprintf(stderr, "could not remove %s\n", dir.c_str());
}

// Creates the folders a file name such as "epd/wacnew.epd" needs.
void make_parent_folders(const std::string& dir, const std::string& name) {
    for (size_t slash = name.find('/'); slash != std::string::npos;
         slash = name.find('/', slash + 1))
        mkdir((dir + "/" + name.substr(0, slash)).c_str(), 0700);
}

} // namespace

engine_process::engine_process(const file_list& files) {
    char tmpl[] = "/tmp/korvel-e2e-XXXXXX";
    dir_ = mkdtemp(tmpl);
    for (const auto& [name, content] : files) {
        make_parent_folders(dir_, name);
        std::ofstream(dir_ + "/" + name) << content;
    }

    const std::vector<std::string> command = engine_command();
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    // No end of a pipe may outlive exec: an engine started later would hold
    // this one's input open, and this one's output would end only when
    // whatever it started had ended too.
    int in_pipe[2], out_pipe[2];
    if (pipe2(in_pipe, O_CLOEXEC) != 0 || pipe2(out_pipe, O_CLOEXEC) != 0) abort();
    signal(SIGPIPE, SIG_IGN);
    started_ms_ = now_ms();
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(dir_.c_str()) != 0) _exit(127);
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        dup2(out_pipe[1], 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    to_engine_ = in_pipe[1];
    from_engine_ = out_pipe[0];
}

// An engine that hangs, crashes or fails at the end of a test is a fault of
// that test's transcript, so it is reported there rather than killed quietly.
engine_process::~engine_process() {
    close_input();
    if (pid_ > 0) {
        const int status = wait_exit(EXIT_TIMEOUT_MS);
        if (status == -1) {
            ADD_FAILURE() << "the engine was still running " << EXIT_TIMEOUT_MS
                          << " ms after its input closed; killed";
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        } else if (status != 0) {
            ADD_FAILURE() << "the engine ended with status " << status
                          << (status > 128 ? " (128 + the signal number)" : "") << ", "
                          << now_ms() - started_ms_ << " ms after its start, having written "
                          << bytes_read_ << " bytes";
        }
    }
    if (from_engine_ >= 0) close(from_engine_);
    remove_tree(dir_);
}

void engine_process::send(const std::string& line) {
    send_raw(line + "\n");
}

void engine_process::send_raw(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(to_engine_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return;
        done += size_t(n);
    }
}

void engine_process::close_input() {
    if (to_engine_ >= 0) close(to_engine_);
    to_engine_ = -1;
}

bool engine_process::read_line(std::string& line, int timeout_ms) {
    double deadline = now_ms() + timeout_ms;
    timed_out_ = false;
    for (;;) {
        size_t nl = pending_.find('\n');
        if (nl != std::string::npos) {
            line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return true;
        }
        if (eof_) {
            if (pending_.empty()) return false;
            line.swap(pending_);
            pending_.clear();
            return true;
        }
        double left = deadline - now_ms();
        if (left <= 0) {
            timed_out_ = true;
            return false;
        }
        pollfd p = {from_engine_, POLLIN, 0};
        if (poll(&p, 1, int(left)) <= 0) continue;
        char buf[65536];
        ssize_t n = read(from_engine_, buf, sizeof buf);
        if (n <= 0) {
            eof_ = true;
        } else {
            pending_.append(buf, size_t(n));
            bytes_read_ += n;
        }
    }
}

std::vector<std::string> engine_process::read_until(const std::string& prefix, int timeout_ms) {
    std::vector<std::string> lines;
    double deadline = now_ms() + timeout_ms;
    std::string line;
    while (read_line(line, int(std::max(0.0, deadline - now_ms())))) {
        lines.push_back(line);
        if (line.compare(0, prefix.size(), prefix) == 0) return lines;
    }
    if (timed_out_)
        ADD_FAILURE() << "no line starting with \"" << prefix << "\" within " << timeout_ms
                      << " ms";
    else
        ADD_FAILURE() << "the output ended before a line starting with \"" << prefix << "\"";
    return lines;
}

std::vector<std::string> engine_process::read_to_end(int timeout_ms) {
    std::vector<std::string> lines;
    double deadline = now_ms() + timeout_ms;
    std::string line;
    while (read_line(line, int(std::max(0.0, deadline - now_ms())))) lines.push_back(line);
    if (timed_out_)
        ADD_FAILURE() << "the engine had not ended its output after " << timeout_ms << " ms";
    return lines;
}

int engine_process::wait_exit(int timeout_ms) {
    if (pid_ <= 0) return -1;
    double deadline = now_ms() + timeout_ms;
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (now_ms() > deadline) return -1;
        usleep(2000);
    }
}

std::vector<std::string> run_engine(const std::vector<std::string>& lines,
                                    const engine_process::file_list& files, int timeout_ms) {
    engine_process e(files);
    for (const std::string& l : lines) e.send(l);
    e.close_input();
    return e.read_to_end(timeout_ms);
}
