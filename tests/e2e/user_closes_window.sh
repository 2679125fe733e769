#!/bin/bash
# Starts ilvane-cafe in a private X server with its settings, data and lock folders in a scratch folder, waits for
# its 800 x 600 window, presses Alt+F4 on it as a user would, and checks that the program exits with status 0 and
# has saved its settings (a clean run leaves "InProgress" at 0). The game asks for automatic 3-D, which the
# software device passes: the run must have drawn through the 3-D device without recording a 3-D error.
# Usage: user_closes_window.sh <path of ilvane-cafe>
set -u

program=$(realpath "${1:?usage: user_closes_window.sh <ilvane-cafe>}")
source "$(dirname "$0")/xvfb_session.sh"
require_tools xdotool
# Started from a folder of its own: the program finds its content beside itself, and its title in it.
cd "$scratch"
export ILVANE_LOG_DEBUG=1 # the display says which path it draws with
start_in_xvfb "$program" "Ilvane Cafe"

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

grep -q "Drawing through the 3-D device" "$scratch/program.log" || fail "the program did not draw with 3-D on"
if grep -q "RuntimeError" "$settings"; then
    fail "a 3-D error was recorded: $(grep RuntimeError "$settings")"
fi

echo "PASS: the program closed on Alt+F4 with status 0 and saved its settings"
