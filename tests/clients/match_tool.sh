#!/usr/bin/env bash
# tools/match must pass a sound match, and fail and say why when either
# engine misbehaves: Korvel plays Korvel with a fault at its third move (see
# faulty_engine.sh).
#
#   match_tool.sh <korvel>
set -u
korvel=$(realpath "$1")
here=$(dirname "$0")
match="$here/../../tools/match"
work=$(mktemp -d /tmp/korvel-match-tool-XXXXXX)
. "$here/../../tools/xboard_match.sh"
require_programs

failures=0
# Runs a one-game match with the stand-in on the side given and expects it to
# fail, with the pattern in what follows the failure line.
expect_failure() {
    local fault=$1 side=$2 pattern=$3 engines out status
    engines=("$here/faulty_engine.sh $fault $korvel" "$korvel")
    [ "$side" = second ] && engines=("$korvel" "${engines[0]}")
    out=$("$match" -games 1 -tc 0:03 -inc 0.1 -work "$work/$fault" "${engines[@]}")
    status=$?
    printf '%s\n' "$out" | sed "s/^/$fault: /"
    if [ "$status" -eq 0 ] || ! sed -n '/^FAIL/,$p' <<< "$out" | grep -qiE "$pattern"; then
        echo "$fault: the match should have failed with: $pattern"
        failures=$((failures + 1))
    fi
}

out=$("$match" -games 2 -tc 0:03 -inc 0.1 "$korvel" "$korvel")
status=$?
printf '%s\n' "$out" | sed 's/^/sound: /'
if [ "$status" -ne 0 ] || ! grep -qE '^W/D/L: [0-9]+/[0-9]+/[0-9]+$' <<< "$out"; then
    echo "sound: the match should have passed with a score"
    failures=$((failures + 1))
fi
expect_failure time first 'on time|flag'
expect_failure illegal second 'invalid move|illegal'
expect_failure crash first 'first engine ended with status 1 \(a crash\)'
expect_failure error second '<second: Error \(lost track'
[ "$failures" -eq 0 ] || exit 1
rm -rf "$work"
echo "PASS"
