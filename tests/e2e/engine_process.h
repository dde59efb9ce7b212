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
    // when nothing arrives within the timeout.
    bool read_line(std::string& line, int timeout_ms = 10000);
    // Lines up to and including the first that starts with `prefix`.
    std::vector<std::string> read_until(const std::string& prefix, int timeout_ms = 10000);
    // All lines until the engine closes its output; then its exit status.
    std::vector<std::string> read_to_end(int timeout_ms = 10000);
    int wait_exit(int timeout_ms = 10000);

    const std::string& directory() const { return dir_; }
    int pid() const { return pid_; }

  private:
    std::string dir_;
    int pid_ = -1;
    int to_engine_ = -1;
    int from_engine_ = -1;
    std::string pending_;
    bool eof_ = false;
};

// Sends the lines, closes the input and returns every output line.
std::vector<std::string> run_engine(const std::vector<std::string>& lines,
                                    const engine_process::file_list& files = {},
                                    int timeout_ms = 60000);
