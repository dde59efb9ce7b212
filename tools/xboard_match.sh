# shellcheck shell=bash
# Sourced by tools/match and tests/clients/match.sh: xboard's match mode run
# with no window (under a virtual X server), and what its saved games say of
# how each game ended.

XBOARD=${XBOARD:-/usr/games/xboard}

# Leaves with the skip code (77) when a program the match needs is missing.
require_programs() {
    local program
    for program in "$XBOARD" xvfb-run "$@"; do
        if ! command -v "$program" > /dev/null; then
            echo "SKIP: $program is not installed"
            exit 77
        fi
    done
}

# The words of an engine command, one a line, each word that names a file
# made absolute: the engine runs in a folder of its own.
absolute_words() {
    local word
    for word in $1; do
        [ -e "$word" ] && word=$(realpath "$word")
        printf '%s\n' "$word"
    done
}

# Seconds a whole match may take: each game at most twice both clocks plus
# a margin.
match_time_limit() {
    local games=$1 tc=$2 inc=$3
    local minutes=${tc%%:*} seconds=${tc##*:}
    echo $((games * (2 * (minutes * 60 + seconds) + 2 * 120 * ${inc%%.*} + 60) + 60))
}

# Runs xboard's match mode with the options given after the time limit, the
# game file, the log and the file for xboard's own output.
# Without -autoCallFlag xboard lets a clock run below zero and the game goes
# on, so a loss on time would pass unseen.
run_xboard_match() {
    local limit=$1 pgn=$2 log=$3 out=$4
    shift 4
    rm -f "$pgn" "$log"
    timeout "$limit" xvfb-run -a "$XBOARD" -noGUI -xexit -saveSettingsOnExit false \
        -autoCallFlag true -saveGameFile "$pgn" -debug -nameOfDebugFile "$log" "$@" > "$out" 2>&1
}

# The comment and result that close each saved game.
game_endings() {
    grep -oE '\{[^{}]*\} (1-0|0-1|1/2-1/2|\*)' "$1" 2>/dev/null
}

# The endings, read from the input, that a user would call a fault: a loss
# on time, an illegal move, a crash, a disconnect, a false claim.
faulty_endings() {
    grep -iE 'time|illegal|crash|error|disconnect|forfeit|false|exit|stall' || true
}
