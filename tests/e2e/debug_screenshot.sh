#!/bin/bash
# Starts ilvane-cafe in a private X server, turns the debug keys on with Ctrl+Shift+D as a developer would, presses
# Z, and checks that an 800 x 600 screenshot "image1.png" appears in the "_screenshots" folder of the program's
# application-data folder.
# Usage: debug_screenshot.sh <path of ilvane-cafe>
set -u

program=${1:?usage: debug_screenshot.sh <ilvane-cafe>}
source "$(dirname "$0")/xvfb_session.sh"
require_tools xdotool identify
start_in_xvfb "$program" "Ilvane Cafe"

# No window manager runs here, so the focus is handed over directly before the keys are pressed.
xdotool windowfocus --sync "$window" || fail "the window did not take the focus"
xdotool key --clearmodifiers ctrl+shift+d
xdotool key --clearmodifiers z

shot="$XDG_DATA_HOME/Ilvane Cafe/_screenshots/image1.png"
for _ in $(seq 1 100); do
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended early"
    [ -s "$shot" ] && break
    sleep 0.1
done
[ -s "$shot" ] || fail "no screenshot at $shot: $(find "$XDG_DATA_HOME" -type f 2>/dev/null | head)"
size=$(identify -format '%wx%h' "$shot" 2>/dev/null)
[ "$size" = "800x600" ] || fail "the screenshot is \"$size\", not 800x600"
[ ! -e "$XDG_DATA_HOME/Ilvane Cafe/_screenshots/image2.png" ] || fail "one key press made two screenshots"

echo "PASS: Ctrl+Shift+D, then Z, saved an 800 x 600 image1.png"
