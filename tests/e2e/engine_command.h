// Which engine the end-to-end tests start, and where it reads its files. By
// default the build's own binary; KORVEL_E2E_ENGINE names another command,
// such as a Windows build under wine started through the pipe host:
//
//   KORVEL_E2E_ENGINE="/usr/lib/wine/wine64 pipe_host.exe korvel.exe"
//
// The words are separated by blanks. The same tests then run against it.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> engine_command();

// Where the engine under test reads its EPD suites: the folder epd/ of its
// working folder, or the folder KORVEL_E2E_EPD_FOLDER names (a Windows build
// reads c:\prog\epd\, which wine keeps in its prefix); the engine prints the
// path as KORVEL_E2E_EPD_PATH gives it. Empty `folder`: the working folder's.
struct suite_folder {
    std::string folder;      // as seen from here, with the final '/'
    std::string engine_text; // the engine's own name for it
};
suite_folder engine_suite_folder();

// The logging stand-in bitbase library built for the engine under test, its
// file named as that engine loads it: KORVEL_E2E_FAKE_EGBB, or the Linux one.
std::string engine_fake_egbb();

// The real bitbase library built for the engine under test, with its file
// named as that engine loads it and its shipped tables beside it:
// KORVEL_E2E_EGBB, or the Linux one; empty when none was built.
std::string engine_egbb_library();
