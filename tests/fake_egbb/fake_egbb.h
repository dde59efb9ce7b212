// A stand-in bitbase library that records how it was called. Built in three
// forms: complete, without load_egbb_5men and without probe_egbb_5men; a
// fourth, complete form also logs its calls to a file.
#pragma once

constexpr int FAKE_PATH_BYTES = 256;
constexpr int PROBE_ARGUMENTS = 9;
constexpr const char* FAKE_STATE_NAME = "fake_egbb_state";
// Where the logging form writes its calls, in the working folder.
constexpr const char* FAKE_LOG_FILE = "fake_egbb.log";

struct fake_egbb_record {
    int load_calls;
    char load_path[FAKE_PATH_BYTES];
    int load_cache_bytes;
    int load_option;
    int probe_calls;
    int probe_arguments[PROBE_ARGUMENTS]; // of the latest probe, in calling order
    int answer;                           // what the probe returns
};

using fake_state_call = fake_egbb_record* (*)();
