#!/bin/bash
# Runs a copy of ilvane-cafe that has no content beside it, headless and from another folder: the program must end
# by itself with a failure status and name the manifest it could not find.
# Usage: missing_manifest.sh <path of ilvane-cafe>
set -u

program=$(realpath "${1:?usage: missing_manifest.sh <ilvane-cafe>}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "FAIL: $*"
    [ -s "$scratch/program.log" ] && tail -n 20 "$scratch/program.log"
    exit 1
}

mkdir -p "$scratch/bin" "$scratch/elsewhere" "$scratch/config" "$scratch/data" "$scratch/run"
chmod 700 "$scratch/run"
cp "$program" "$scratch/bin/"
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/run"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cd "$scratch/elsewhere"
timeout 60 "$scratch/bin/ilvane-cafe" >"$scratch/program.log" 2>&1
status=$?
[ "$status" -ne 124 ] || fail "the program was still running after 60 s"
[ "$status" -eq 1 ] || fail "the program ended with status $status, not 1"
grep -qF 'properties\resources.xml' "$scratch/program.log" || fail "the program did not name the missing manifest"

echo "PASS: without its content the program ends with status 1 and names the manifest"
