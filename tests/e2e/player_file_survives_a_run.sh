#!/bin/bash
# Prepares a player file with two profiles (the second current), its own record tables and the full-screen setting,
# starts ilvane-cafe in a private X server, closes it with Alt+F4 and checks that it still showed a window and that
# the file's profiles and record tables are byte for byte as they were.
# Usage: player_file_survives_a_run.sh <path of ilvane-cafe>
set -u

program=$(realpath "${1:?usage: player_file_survives_a_run.sh <ilvane-cafe>}")
source "$(dirname "$0")/xvfb_session.sh"
require_tools xdotool cmp

# le32 N: the four bytes of N, little-endian, as printf escapes.
le32() {
    local n=$(($1 & 0xFFFFFFFF))
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) $(((n >> 8) & 255)) $(((n >> 16) & 255)) $(((n >> 24) & 255))
}
# name TEXT UNITS: the ASCII text as UTF-16LE, padded with zero units to UNITS units.
name() {
    local text=$1 units=$2 out="" i
    for ((i = 0; i < ${#text}; i++)); do
        out+=$(printf '\\x%02x\\x00' "'${text:i:1}")
    done
    for ((i = ${#text}; i < units; i++)); do
        out+='\x00\x00'
    done
    printf '%s' "$out"
}
zeros() {
    head -c "$1" /dev/zero
}

pref_folder="$XDG_DATA_HOME/Ostrel Games/Ilvane"
mkdir -p "$pref_folder"
prepared="$scratch/prepared.dat"
{
    printf '\xc3\x65\xc5\xbb\x90\x46\xa6\x43\xb3\xd3\xfd\xdd\xae\x48\x89\xd9'
    printf "$(le32 13)$(le32 70)$(le32 40)"
    printf '\x00\x00\x00\x00' # full screen, not muted
    printf "$(le32 1)$(le32 0)"
    for table in Survivor Careerist; do
        for k in 1 2 3 4 5 6 7 8 9 10; do
            printf "$(name "$table$k" 128)$(le32 $((5000 - 300 * k)))"
        done
    done
    for player in Alma Bruno; do
        printf "$(name "$player" 128)$(le32 0)"
        printf '\x01\x00\x01'
        zeros 29
        printf "$(le32 7)"
        for level in $(seq 0 59); do
            printf "$(le32 $((level < 7 ? 100 * level : 0)))"
        done
        zeros 16
        printf '\x01\x01'
        zeros 58
        printf '\x01'
        zeros 299
    done
} >"$prepared"
[ "$(stat -c %s "$prepared")" -eq $((5240 + 2 * 912)) ] || fail "the prepared file has $(stat -c %s "$prepared") bytes"
cp "$prepared" "$pref_folder/pref.dat"

cd "$scratch"
start_in_xvfb "$program" "Ilvane Cafe"
xdotool windowfocus --sync "$window" || fail "the window did not take the focus"
xdotool key --clearmodifiers alt+F4
for _ in $(seq 1 300); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program was still running 30 s after Alt+F4"
wait "$app_pid"
status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program exited with status $status"

stored="$pref_folder/pref.dat"
[ -f "$stored" ] || fail "pref.dat is gone"
[ "$(stat -c %s "$stored")" -eq "$(stat -c %s "$prepared")" ] ||
    fail "pref.dat has $(stat -c %s "$stored") bytes, not $(stat -c %s "$prepared")"
# Byte 28 holds the shell's screen mode, which the run may have changed; everything from the profile index on
# must be as it was.
cmp <(tail -c +33 "$prepared") <(tail -c +33 "$stored") || fail "the record tables or the profiles changed"
cmp <(head -c 28 "$prepared") <(head -c 28 "$stored") || fail "the signature, version or volumes changed"

echo "PASS: the program ran in a window and left the player file's profiles and record tables as they were"
