#!/usr/bin/env bash
# Prints a console transcript that asks the engine for the bitbase score of
# positions of every 3-piece material: each piece of either colour on each
# square (pawns on every rank, the back ranks included), either side to move,
# beside several placements of the two kings. Two builds whose answers to it
# match line for line score these positions alike.
set -euo pipefail

awk 'BEGIN {
    KING_PLACEMENTS = 4
    print "nopost"
    split("Q R B N P q r b n p", pieces, " ")
    for (p = 1; p <= 10; p++)
        for (sq = 0; sq < 64; sq++)
            for (k = 0; k < KING_PLACEMENTS; k++) {
                wk = (sq * 5 + k * 17 + 7) % 64
                bk = (sq * 11 + k * 29 + 40) % 64
                if (wk == sq || bk == sq || wk == bk || adjacent(wk, bk)) continue
                for (side = 0; side < 2; side++) {
                    print "sb " fen(pieces[p], sq, wk, bk) (side ? " b" : " w") " - -"
                    print "egbb"
                }
            }
}
function adjacent(a, b,    df, dr) {
    df = a % 8 - b % 8; dr = int(a / 8) - int(b / 8)
    return df * df <= 1 && dr * dr <= 1
}
# Squares run from a8 (0) to h1 (63), as in a FEN.
function fen(piece, sq, wk, bk,    s, text, empty, c) {
    text = ""; empty = 0
    for (s = 0; s < 64; s++) {
        c = s == sq ? piece : s == wk ? "K" : s == bk ? "k" : ""
        if (c == "") empty++
        else { if (empty) text = text empty; empty = 0; text = text c }
        if (s % 8 == 7) {
            if (empty) text = text empty
            empty = 0
            if (s < 63) text = text "/"
        }
    }
    return text
}'
echo quit
