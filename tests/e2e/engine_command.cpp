#include "e2e/engine_command.h"

#include <cstdlib>
#include <sstream>

namespace {

std::string environment(const char* name, const std::string& otherwise) {
    const char* value = getenv(name);
    return value && *value ? value : otherwise;
}

} // namespace

std::vector<std::string> engine_command() {
    std::istringstream words(environment("KORVEL_E2E_ENGINE", KORVEL_BINARY));
    std::vector<std::string> command;
    for (std::string w; words >> w;) command.push_back(w);
    return command;
}

suite_folder engine_suite_folder() {
    const std::string folder = environment("KORVEL_E2E_EPD_FOLDER", "");
    if (folder.empty()) return {"", "epd/"};
    return {folder, environment("KORVEL_E2E_EPD_PATH", folder)};
}

std::string engine_fake_egbb() {
    return environment("KORVEL_E2E_FAKE_EGBB", KORVEL_FAKE_EGBB_LOG_LIBRARY);
}

std::string engine_egbb_library() {
    const std::string built = KORVEL_EGBB_DIR;
    return environment("KORVEL_E2E_EGBB", built.empty() ? "" : built + "egbbso64.so");
}
