#!/usr/bin/env bash
# Plays a match between Korvel and Fairy-Max inside xboard's match mode,
# with no window (under a virtual X server), and fails on anything a real
# user would call a fault: an illegal move, a loss on time, a crash, a
# disconnect or a protocol error, in the saved games, in xboard's log or in
# what Korvel itself printed.
#
#   match.sh [-depth N] <korvel command> <xboard|uci> <games> <minutes:seconds> <increment s> [work dir]
#
# -depth sets xboard's search depth option, which sends "sd N" to both
# engines after the clock: the clock must still count. The uci path runs
# Korvel through polyglot, the UCI-to-xboard adapter.
set -u
. "$(dirname "$0")/../../tools/xboard_match.sh"
depth_option=()
if [ "${1:-}" = -depth ]; then
    depth_option=(-depth "$2")
    shift 2
fi
# The engine may be a command of several words (a host before the binary).
mapfile -t engine_words < <(absolute_words "$1")
protocol=$2 games=$3 tc=$4 inc=$5
work=${6:-}
keep_work=${work:+yes}
[ -n "$work" ] || work=$(mktemp -d /tmp/korvel-match-XXXXXX)
mkdir -p "$work"
FAIRYMAX=${FAIRYMAX:-/usr/games/fairymax}
POLYGLOT=${POLYGLOT:-/usr/games/polyglot}
require_programs "$FAIRYMAX" "$POLYGLOT"

pgn="$work/games.pgn"
log="$work/xboard.log"
korvel_out="$work/korvel.out"
rm -f "$korvel_out"

# Korvel's own output is kept beside the match: through polyglot it never
# reaches xboard's log as Korvel wrote it.
tee_engine="$work/korvel-tee"
printf '#!/bin/sh\n%s| tee -a %q\n' "$(printf '%q ' "${engine_words[@]}")" "$korvel_out" > "$tee_engine"
chmod +x "$tee_engine"
if [ "$protocol" = uci ]; then
    first="$POLYGLOT -noini -ec $tee_engine"
else
    first="$tee_engine"
fi

run_xboard_match "$(match_time_limit "$games" "$tc" "$inc")" "$pgn" "$log" "$work/xboard.out" \
    -fcp "$first" -fd "$work" -scp "$FAIRYMAX" -sd "$work" \
    -matchGames "$games" -tc "$tc" -inc "$inc" "${depth_option[@]}"
status=$?

played=$(grep -c '^\[Result ' "$pgn" 2>/dev/null || true)
results=$(grep -E '^\[Result "(1-0|0-1|1/2-1/2)"\]' "$pgn" 2>/dev/null | wc -l)
endings=$(game_endings "$pgn")
faults=$(printf '%s\n' "$endings" | faulty_endings)
# What Korvel's side (the first engine, or polyglot for it) said that a GUI
# would take as a fault, and what Korvel itself said of the moves and
# positions it was given.
log_faults=$(grep -E '<first *: .*(Illegal move|illegal move|Error|error|tellusererror)' "$log" 2>/dev/null | head -5 || true)
korvel_faults=$(grep -iE 'illegal|error' "$korvel_out" 2>/dev/null | head -5 || true)
korvel_white=$(grep -ciE '^\[White ".*korvel' "$pgn" 2>/dev/null || true)
korvel_black=$(grep -ciE '^\[Black ".*korvel' "$pgn" 2>/dev/null || true)

echo "games played: $played of $games, decided or drawn: $results (xboard exit $status)"
echo "Korvel played White $korvel_white, Black $korvel_black"
printf '%s\n' "$endings" | sed 's/^/  /' | sort | uniq -c
echo "work directory: $work"

if [ "$status" -ne 0 ] || [ "$played" -ne "$games" ] || [ "$results" -ne "$games" ]; then
    echo "FAIL: the match did not finish every game"
    exit 1
fi
if [ ! -s "$log" ] || [ ! -s "$korvel_out" ]; then
    echo "FAIL: xboard's log or Korvel's output is empty"
    exit 1
fi
if [ $((korvel_white + korvel_black)) -ne "$games" ] ||
    { [ "$games" -ge 2 ] && { [ "$korvel_white" -eq 0 ] || [ "$korvel_black" -eq 0 ]; }; }; then
    echo "FAIL: Korvel did not play every game, with both colours"
    exit 1
fi
if [ -n "$faults" ] || [ -n "$log_faults" ] || [ -n "$korvel_faults" ]; then
    echo "FAIL: faults in the games or the logs:"
    printf '%s\n' "$faults" "$log_faults" "$korvel_faults" | grep -v '^$'
    exit 1
fi
echo "PASS"
# A passed match's folder is of no further use unless it was asked for.
[ -n "$keep_work" ] || rm -rf "$work"
