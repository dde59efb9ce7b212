# What the stages of the CI run share. Sourced by each stage script, which
# runs from the top of the repository with `set -euo pipefail`.

export DEBIAN_FRONTEND=noninteractive

# A mirror caught mid-sync fails an update now and then; a later try passes.
apt_update() {
    local attempt
    for attempt in 1 2 3 4; do
        apt-get update && return
        sleep 30
    done
    return 1
}

# Everything the tests need is installed by the driver, so a test that skips
# hides a fault: ctest's "did not run" list (skip code 77, GTEST_SKIP) and
# GoogleTest's own skip lines fail the run. ctest's exit status still counts
# through pipefail.
no_skips() {
    local out
    out=$(mktemp)
    "$@" 2>&1 | tee "$out"
    if grep -qE 'The following tests did not run|^\[  SKIPPED \]' "$out"; then
        echo "FAIL: tests were skipped although everything they need is installed"
        exit 1
    fi
    rm -f "$out"
}

# Runs the bench command given (a program, or wine and a program) with "1"
# appended, prints its output under the label and checks its signature
# against the last "Bench:" line of the history.
check_bench() {
    local label=$1 expected output actual
    shift
    # Every reader takes all of its input: an early exit would end the
    # writer with SIGPIPE, which pipefail turns into a failure.
    expected=$(git log --format=%B | grep -oE '^Bench: [0-9]+' | sed -n '1s/Bench: //p')
    output=$("$@" 1 | tr -d '\r')
    printf '%s\n' "$output" | sed "s|^|$label: |"
    actual=$(printf '%s\n' "$output" | grep -oE '^Bench: [0-9]+' | sed -n '1s/Bench: //p')
    echo "$label: $actual (recorded $expected)"
    [ "$expected" = "$actual" ]
}

# The release build in build/, with warnings as errors. Later stages use it
# too; in a run that made it already, this only finds it up to date.
release_build() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=ON
    # The README's own configure command, as written, so that it is known to
    # work; the cache keeps KORVEL_WERROR=ON from the line above.
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j2
}

# The Windows cross compilers, wine and Gaviota's source. Sets run32 empty
# when the mirror gives no 32-bit wine; the 32-bit build is then built and
# its imports and exports checked, but not run, and the run says so.
windows_packages() {
    dpkg --add-architecture i386
    # The Windows bitbase library builds Gaviota's probing code from Debian's
    # source package, which apt fetches only through a deb-src line: the
    # first entry of the machine's own sources, as deb-src.
    awk 'NF == 0 {exit} {sub(/^Types: deb$/, "Types: deb-src"); print}' \
        /etc/apt/sources.list.d/debian.sources > /etc/apt/sources.list.d/debian-src.sources
    # qemu-user runs the 32-bit wine where the kernel cannot run 32-bit programs.
    local packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine
                    wine64 qemu-user dpkg-dev unzip)
    # The 32-bit wine needs the mirror's i386 index, which a mirror caught
    # mid-sync has served broken for hours.
    run32=yes
    if ! apt_update || ! apt-get install -y --no-install-recommends "${packages[@]}" wine32:i386; then
        run32=
        echo "WARNING: NO 32-BIT WINE FROM THIS MIRROR NOW: THE 32-BIT WINDOWS BUILD IS NOT RUN"
        apt-get install -y --no-install-recommends "${packages[@]}"
    fi
}

# The DLLs a Windows program or library imports, and the names it exports.
dll_imports() { "$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | sort | tr '\n' ' '; }
dll_exports() {
    "$1" -p "$2" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' |
        sort | tr '\n' ' '
}

# The 32- and 64-bit builds cross-compiled with mingw-w64, warnings as
# errors, each checked for what it imports and exports.
windows_builds() {
    local bits toolchain objdump imports exports library
    for bits in 32 64; do
        toolchain=cmake/mingw-x86_64.cmake
        [ "$bits" = 32 ] && toolchain=cmake/mingw-i686.cmake
        # Both builds take Gaviota's source from one download.
        cmake -S . -B "build-win$bits" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
            -DKORVEL_WERROR=ON -DKORVEL_GAVIOTA_SOURCE_DIR="$PWD/build-gaviotatb"
        cmake --build "build-win$bits" -j2
        # Statically linked: nothing but the system's own libraries is imported.
        objdump=x86_64-w64-mingw32-objdump
        [ "$bits" = 32 ] && objdump=i686-w64-mingw32-objdump
        imports=$(dll_imports "$objdump" "build-win$bits/korvel.exe")
        echo "build-win$bits/korvel.exe imports: $imports"
        [ "$imports" = "KERNEL32.dll msvcrt.dll " ]
        # The bitbase library shows its two calls under their plain names,
        # which a 32-bit GetProcAddress looks for too, and nothing else.
        library=$(ls "build-win$bits"/egbb/egbbdll*.dll)
        imports=$(dll_imports "$objdump" "$library")
        exports=$(dll_exports "$objdump" "$library")
        echo "$library imports: $imports; exports: $exports"
        [ "$imports" = "KERNEL32.dll msvcrt.dll " ]
        [ "$exports" = "load_egbb_5men probe_egbb_5men " ]
    done
}
