#!/bin/bash
# Starts ilvane-cafe where no display exists and no video driver was chosen: it must end by itself with a non-zero
# status and say that a display is needed, instead of running where nobody sees it.
# Usage: no_display_ends_with_a_message.sh <path of ilvane-cafe>
set -u

program=${1:?usage: no_display_ends_with_a_message.sh <ilvane-cafe>}
if [ -e /dev/dri ]; then
    echo "SKIP: this machine has a graphics device the program could draw on without a display server"
    exit 77
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

timeout 60 "$program" >"$scratch/output.log" 2>&1
status=$?
if [ "$status" -eq 124 ]; then
    echo "FAIL: the program was still running after 60 s without a display"
    exit 1
fi
if [ "$status" -eq 0 ]; then
    echo "FAIL: the program ended with status 0 without a display"
    cat "$scratch/output.log"
    exit 1
fi
if ! grep -q "no display found" "$scratch/output.log"; then
    echo "FAIL: the program did not say that a display is needed"
    cat "$scratch/output.log"
    exit 1
fi
echo "PASS: status $status, with the message"
