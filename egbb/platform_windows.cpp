#include "egbb/platform.h"

#include <windows.h>

#include <system_error>

namespace fs = std::filesystem;

constexpr DWORD MODULE_PATH_CHARACTERS = 32768;

// The tables are shipped beside the library itself, wherever it was unpacked.
fs::path shipped_tables_folder() {
    HMODULE library = nullptr;
    const DWORD by_address =
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExW(by_address, reinterpret_cast<LPCWSTR>(&shipped_tables_folder),
                            &library))
        return {};
    static wchar_t path[MODULE_PATH_CHARACTERS];
    const DWORD length = GetModuleFileNameW(library, path, MODULE_PATH_CHARACTERS);
    if (length == 0 || length >= MODULE_PATH_CHARACTERS) return {};
    return fs::path(path).parent_path();
}

// Symbolic links need rights a user seldom has; hard links need none but
// stay on one volume, so a table on another volume than the temporary folder
// is copied.
bool place_table(const fs::path& file, const fs::path& place) {
    std::error_code error;
    fs::create_hard_link(file, place, error);
    if (error) fs::copy_file(file, place, error);
    return !error;
}
