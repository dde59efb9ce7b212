#!/usr/bin/env bash
# Korvel with a fault at its third move, for the match tool's tests: the move
# is held back (time), replaced by the move before it (illegal: that piece
# has left its square), or the engine stops (crash), or it comes after an
# error message, and the game goes on (error).
#
#   faulty_engine.sh <time|illegal|crash|error> <korvel>
#
# Korvel reads xboard's commands itself; its lines are taken with bash's
# read, which reads no further into a pipe than the end of the line. xboard
# interrupts an engine before it sends a move, which Korvel ignores, and so
# does this script.
trap '' INT
fault=$1
exec 3< <(exec "$2")
korvel=$!
moves=0 previous=
while IFS= read -r line <&3; do
    if [[ $line == "move "* ]]; then
        if ((++moves == 3)); then
            case $fault in
            crash) kill -KILL "$korvel" && exit 1 ;;
            time) continue ;;
            illegal) line=$previous ;;
            error) echo "Error (lost track of the position): $line" ;;
            esac
        fi
        previous=$line
    fi
    printf '%s\n' "$line"
done
