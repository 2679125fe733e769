#!/bin/bash
# Starts the display pattern program in a private X server, takes a screenshot of its real window with
# ImageMagick's import and checks that the four quadrants and the centre square it draws are there: the picture
# went from the screen image through the display's present and the SDL texture to the X window.
# Usage: display_shows_pattern.sh <path of display_pattern_app>
set -u

program=${1:?usage: display_shows_pattern.sh <display_pattern_app>}
readonly kSkip=77

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed, so the window cannot be shown"
    exit $kSkip
fi
for tool in xdotool import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
done

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
export SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

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

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ilvane Display Pattern$' 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window named \"Ilvane Display Pattern\" appeared"

# One channel triple per probe point, "r,g,b" in 0..255.
probe() {
    convert "$scratch/shot.png" -format "%[fx:int(255*p{$1,$2}.r+0.5)],%[fx:int(255*p{$1,$2}.g+0.5)],%[fx:int(255*p{$1,$2}.b+0.5)]" info: 2>/dev/null
}
check_shot() {
    [ "$(probe 100 100)" = "255,0,0" ] && [ "$(probe 700 100)" = "0,255,0" ] &&
        [ "$(probe 100 500)" = "0,0,255" ] && [ "$(probe 700 500)" = "255,255,255" ] &&
        [ "$(probe 400 300)" = "255,255,0" ] && [ "$(probe 0 0)" = "255,0,0" ] && [ "$(probe 799 599)" = "255,255,255" ]
}

# The first frames may come a moment after the window: look again for a while before giving up.
shown=no
for _ in $(seq 1 100); do
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended early"
    if import -window "$window" "$scratch/shot.png" 2>/dev/null && check_shot; then
        shown=yes
        break
    fi
    sleep 0.2
done
if [ "$shown" != yes ]; then
    [ -f "$scratch/shot.png" ] || fail "no screenshot of the window could be taken"
    fail "the window does not show the pattern: at (100,100) $(probe 100 100), (700,100) $(probe 700 100), (100,500) $(probe 100 500), (700,500) $(probe 700 500), (400,300) $(probe 400 300)"
fi
size=$(identify -format '%wx%h' "$scratch/shot.png")
[ "$size" = "800x600" ] || fail "the screenshot is $size, not 800x600"

echo "PASS: a screenshot of the real window shows the pattern the program drew"
