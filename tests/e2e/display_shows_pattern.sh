#!/bin/bash
# Starts the display pattern program in a private X server, takes a screenshot of its real window with
# ImageMagick's import and checks that the four quadrants and the centre square it draws are there: the picture
# went from the screen image through the display's present and the SDL texture to the X window.
# With "3d" the program comes up with automatic 3-D and draws through the 3-D device; the test checks that it did.
# Usage: display_shows_pattern.sh <path of display_pattern_app> [2d|3d]
set -u

program=${1:?usage: display_shows_pattern.sh <display_pattern_app> [2d|3d]}
mode=${2:-2d}
source "$(dirname "$0")/xvfb_session.sh"
require_tools xdotool import convert identify
start_in_xvfb "$program" "Ilvane Display Pattern" "$mode"
expected_3d=off
[ "$mode" = 3d ] && expected_3d=on
for _ in $(seq 1 50); do
    grep -q "^3-D is" "$scratch/program.log" && break
    sleep 0.1
done
grep -q "^3-D is $expected_3d\$" "$scratch/program.log" || fail "the program did not draw with 3-D $expected_3d"

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

echo "PASS: a screenshot of the real window shows the pattern the program drew with 3-D $expected_3d"
