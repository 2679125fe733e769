#!/usr/bin/env bash
# The real build's content: a build with nothing changed runs no content tool, and the archive made again from the
# same data folder is byte-identical to data.pak beside the program.
# usage: content_real_build.sh BUILD_DIR PAK_TOOL SCRATCH
set -euo pipefail
build=$1 pak_tool=$2 scratch=$3
fail() { echo "FAIL: $*"; exit 1; }
[ -s "$build/data.pak" ] || fail "no data.pak beside the program"
# A real build of the content target: a dry run cannot see past the glob check that CMake adds to every build.
runs=$(cmake --build "$build" --target ilvane-content -- -v |
    { grep -oE '/ilvane-(xmlconv|art|fontsheet|sound|pak) ' || true; } |
    tr -d '/ ' | sort -u | xargs)
[ -z "$runs" ] || fail "a build with nothing changed ran: $runs"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT
"$pak_tool" "$scratch/data.pak" "$build/data" --lists "$build"/content-work/lists/*.list > /dev/null
cmp "$scratch/data.pak" "$build/data.pak" || fail "the archive made again differs"
echo "real content build: ok"
