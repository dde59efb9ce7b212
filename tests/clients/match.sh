#!/usr/bin/env bash
# Plays a match between Korvel and Fairy-Max inside xboard's match mode,
# with no window (under a virtual X server), and fails on anything a real
# user would call a fault: an illegal move, a loss on time, a crash, a
# disconnect or a protocol error, in the saved games or in xboard's log.
#
#   match.sh <korvel binary> <xboard|uci> <games> <minutes:seconds> <increment s> [work dir]
#
# The uci path runs Korvel through polyglot, the UCI-to-xboard adapter.
set -u
engine=$1 protocol=$2 games=$3 tc=$4 inc=$5
work=${6:-$(mktemp -d /tmp/korvel-match-XXXXXX)}
mkdir -p "$work"
XBOARD=${XBOARD:-/usr/games/xboard}
FAIRYMAX=${FAIRYMAX:-/usr/games/fairymax}
POLYGLOT=${POLYGLOT:-/usr/games/polyglot}

for tool in "$XBOARD" "$FAIRYMAX" "$POLYGLOT" xvfb-run; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

if [ "$protocol" = uci ]; then
    first="$POLYGLOT -noini -ec $engine"
else
    first="$engine"
fi

pgn="$work/games.pgn"
log="$work/xboard.log"
rm -f "$pgn" "$log"
# Each game may take at most twice both clocks plus a margin.
minutes=${tc%%:*} seconds=${tc##*:}
limit=$(( games * (2 * (minutes * 60 + seconds) + 2 * 120 * ${inc%%.*} + 60) + 60 ))
timeout "$limit" xvfb-run -a "$XBOARD" -noGUI -xexit -saveSettingsOnExit false \
    -fcp "$first" -fd "$work" -scp "$FAIRYMAX" -sd "$work" \
    -matchGames "$games" -tc "$tc" -inc "$inc" \
    -saveGameFile "$pgn" -debug -nameOfDebugFile "$log" > "$work/xboard.out" 2>&1
status=$?

played=$(grep -c '^\[Result ' "$pgn" 2>/dev/null || true)
results=$(grep -E '^\[Result "(1-0|0-1|1/2-1/2)"\]' "$pgn" 2>/dev/null | wc -l)
endings=$(grep -oE '\{[^{}]*\} (1-0|0-1|1/2-1/2|\*)' "$pgn" 2>/dev/null)
faults=$(printf '%s\n' "$endings" | grep -iE 'time|illegal|crash|error|disconnect|forfeit|false|exit|stall' || true)
# What Korvel's side (the first engine, or polyglot for it) said that a GUI
# would take as a fault.
log_faults=$(grep -E '<first *: .*(Illegal move|illegal move|Error|error|tellusererror)' "$log" 2>/dev/null | head -5 || true)

echo "games played: $played of $games, decided or drawn: $results (xboard exit $status)"
printf '%s\n' "$endings" | sed 's/^/  /' | sort | uniq -c
korvel_white=$(grep -A1 -E '^\[White "korvel' "$pgn" 2>/dev/null | grep -c Black || true)
echo "work directory: $work"

if [ "$status" -ne 0 ] || [ "$played" -ne "$games" ] || [ "$results" -ne "$games" ]; then
    echo "FAIL: the match did not finish every game"
    exit 1
fi
if [ -n "$faults" ] || [ -n "$log_faults" ]; then
    echo "FAIL: faults in the games or the log:"
    printf '%s\n%s\n' "$faults" "$log_faults"
    exit 1
fi
echo "PASS"
