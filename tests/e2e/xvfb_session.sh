# Sourced by the end-to-end scripts: a private X server for one program, with the program's settings, data and lock
# folders in a scratch folder that is removed on exit. Scripts call start_in_xvfb and then act on $window.
# Exit code 77 tells CTest the test was skipped; that happens only when Xvfb is missing.
set -u

readonly kSkip=77

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed, so the program cannot be shown"
    exit $kSkip
fi

# require_tools TOOL...: fails the test when one is missing.
require_tools() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
    done
}

scratch=$(mktemp -d)
app_pid=""
xvfb_pid=""
window=""
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
        tail -n 40 "$scratch/program.log"
    fi
    exit 1
}

export XDG_CONFIG_HOME="$scratch/config"
export XDG_DATA_HOME="$scratch/data"
export XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy # no sound device is needed to show a window
# In a sanitizer build, leaks inside the system's display libraries are not the program's.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# start_in_xvfb PROGRAM WINDOW-TITLE [ARGUMENT...]: starts the server (it picks a free display number and writes it to a pipe),
# then the program, and waits for its visible window; sets $app_pid and $window.
start_in_xvfb() {
    local program=$1 title=$2 display=""
    mkfifo "$scratch/display.fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display.fifo" 2>"$scratch/xvfb.log" &
    xvfb_pid=$!
    if ! read -r -t 20 display <"$scratch/display.fifo" || [ -z "$display" ]; then
        cat "$scratch/xvfb.log"
        fail "the X server did not start"
    fi
    export DISPLAY=":$display"

    "$program" "${@:3}" >"$scratch/program.log" 2>&1 &
    app_pid=$!
    # SDL may replace the X window of a shown window once when the first frame makes its renderer, and a search
    # that meets the old window as it goes fails with an X error: the window counts once two searches a moment
    # apart find the same one.
    local found="" seen=""
    for _ in $(seq 1 150); do
        kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window appeared"
        found=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
        if [ -n "$found" ] && [ "$found" = "$seen" ] && xdotool getwindowgeometry "$found" >/dev/null 2>&1; then
            window=$found
            return
        fi
        seen=$found
        sleep 0.2
    done
    fail "no window named \"$title\" appeared"
}
