// Runs the real engine binary the way a GUI does: in a scratch working
// directory, with command lines written to its standard input through a
// pipe and its output read back line by line.
#pragma once

#include <string>
#include <vector>

class engine_process {
  public:
    // Files to place in the working directory before start, name and content;
    // a name may include folders.
    using file_list = std::vector<std::pair<std::string, std::string>>;

    explicit engine_process(const file_list& files = {});
    ~engine_process();
    engine_process(const engine_process&) = delete;
    engine_process& operator=(const engine_process&) = delete;

    void send(const std::string& line); // appends the line feed
    void send_raw(const std::string& bytes);
    void close_input();

    // Next output line without its line feed; false on end of output or
    // when nothing arrives within the timeout, which timed_out() tells apart.
    // Waiting for silence is allowed here: neither case fails the test.
    bool read_line(std::string& line, int timeout_ms = 10000);
    bool timed_out() const { return timed_out_; }
    // Lines up to and including the first that starts with `prefix`. The
    // test fails when the output ends or the time runs out before it.
    std::vector<std::string> read_until(const std::string& prefix, int timeout_ms = 10000);
    // All lines until the engine closes its output; the test fails when the
    // engine is still writing, or silent but running, at the timeout.
    std::vector<std::string> read_to_end(int timeout_ms = 10000);
    // The exit status (128 + the signal number when a signal ended it), or
    // -1 when the engine is still running at the timeout. A test that ends
    // the engine on purpose checks the status here; otherwise the
    // destructor fails the test on anything but a prompt exit with status 0.
    int wait_exit(int timeout_ms = 10000);

    const std::string& directory() const { return dir_; }
    int pid() const { return pid_; }

  private:
    std::string dir_;
    int pid_ = -1;
    int to_engine_ = -1;
    int from_engine_ = -1;
    std::string pending_;
    double started_ms_ = 0;
    long long bytes_read_ = 0; // of output, for the account of a failed end
    bool eof_ = false;
    bool timed_out_ = false;
};

// Sends the lines, closes the input and returns every output line.
std::vector<std::string> run_engine(const std::vector<std::string>& lines,
                                    const engine_process::file_list& files = {},
                                    int timeout_ms = 60000);
