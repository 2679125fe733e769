#!/bin/bash
# Starts ilvane-cafe in a private X server with its settings, data and lock folders in a scratch folder, waits for
# its 800 x 600 window, presses Alt+F4 on it as a user would, and checks that the program exits with status 0 and
# has saved its settings (a clean run leaves "InProgress" at 0).
# Usage: user_closes_window.sh <path of ilvane-cafe>
set -u

program=${1:?usage: user_closes_window.sh <ilvane-cafe>}
readonly kSkip=77

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed, so the program cannot be shown"
    exit $kSkip
fi
if ! command -v xdotool >/dev/null 2>&1; then
    echo "FAIL: xdotool is not installed, so the window cannot be closed as a user would"
    exit 1
fi

scratch=$(mktemp -d)
app_pid=""
xvfb_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [ -s "$scratch/program.log" ]; then
        echo "--- program output ---"
        cat "$scratch/program.log"
    fi
    exit 1
}

export XDG_CONFIG_HOME="$scratch/config"
export XDG_DATA_HOME="$scratch/data"
export XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy # no sound device is needed to close a window
# In a sanitizer build, leaks inside the system's display libraries are not the program's.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# The server picks a free display number and writes it to the pipe.
mkfifo "$scratch/display.fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display.fifo" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
display=""
if ! read -r -t 20 display <"$scratch/display.fifo" || [ -z "$display" ]; then
    cat "$scratch/xvfb.log"
    fail "the X server did not start"
fi
export DISPLAY=":$display"

"$program" >"$scratch/program.log" 2>&1 &
app_pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ilvane Cafe$' 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window named \"Ilvane Cafe\" appeared"

geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: *//p')
[ "$geometry" = "800x600" ] || fail "the window is $geometry, not 800x600"

# No window manager runs here, so the focus is handed over directly before the keys are pressed.
xdotool windowfocus --sync "$window" || fail "the window did not take the focus"
xdotool key --clearmodifiers alt+F4

for _ in $(seq 1 300); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
    fail "the program was still running 30 s after Alt+F4"
fi
wait "$app_pid"
status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program exited with status $status"

settings="$XDG_CONFIG_HOME/Ostrel Games/Ilvane Cafe/registry.txt"
[ -f "$settings" ] || fail "no settings were saved ($settings is missing)"
for expected in '"InProgress" dword 0' '"ScreenMode" dword 0' '"MusicVolume" dword 85'; do
    grep -qF "value $expected" "$settings" || fail "the saved settings lack $expected: $(cat "$settings")"
done

echo "PASS: the program closed on Alt+F4 with status 0 and saved its settings"
